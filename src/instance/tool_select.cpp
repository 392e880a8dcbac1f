#include "instance/tool_select.h"

#include <vector>

#include "model/store.h"

namespace korvel::instance {
namespace {

struct Selection {
    std::vector<uint8_t> points;
    std::vector<uint8_t> faces;
};

Selection& selection() {
    static Selection arrays;
    return arrays;
}

void store(std::vector<uint8_t>& array, int index, int flag) {
    if (index >= 0 && static_cast<size_t>(index) < array.size()) array[static_cast<size_t>(index)] = static_cast<uint8_t>(flag & 0xff);
}

}  // namespace

void prepareSelection(int model, int* counts) {
    const model::Obj3dModel* m = model::occupiedModel(model);
    if (m == nullptr) return;
    const int32_t vertices = m->head()->NumVertex > 0 ? m->head()->NumVertex : 0;
    const int32_t faces = m->head()->NumFace > 0 ? m->head()->NumFace : 0;
    Selection fresh{std::vector<uint8_t>(static_cast<size_t>(vertices)), std::vector<uint8_t>(static_cast<size_t>(faces))};
    selection() = std::move(fresh);
    if (counts != nullptr) {
        counts[0] = m->head()->NumVertex;
        counts[1] = m->head()->NumFace;
    }
}

void setPointSelect(int vertex, int flag) { store(selection().points, vertex, flag); }
void setFaceSelect(int face, int flag) { store(selection().faces, face, flag); }

std::span<const uint8_t> pointSelection() { return selection().points; }
std::span<const uint8_t> faceSelection() { return selection().faces; }

}  // namespace korvel::instance
