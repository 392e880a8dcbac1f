#include "platform/gpu/gl/gl_x11_window.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xutil.h>

namespace korvel::gpu::gl {

std::unique_ptr<ShmWindowImage> ShmWindowImage::create(::Display* display, Window window, uint32_t width,
                                                       uint32_t height) {
    if (!XShmQueryExtension(display)) return nullptr;
    XWindowAttributes attributes;
    {
        XErrorTrap trap(display);
        if (!XGetWindowAttributes(display, window, &attributes) || trap.failed()) return nullptr;
    }
    const Visual* visual = attributes.visual;
    if (visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) return nullptr;

    std::unique_ptr<ShmWindowImage> image(new ShmWindowImage);
    image->display_ = display;
    image->window_ = window;
    image->segment_.shmid = -1;
    image->segment_.shmaddr = reinterpret_cast<char*>(-1);
    image->image_ = XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap,
                                    nullptr, &image->segment_, width, height);
    XImage* x = image->image_;
    const int pitch = static_cast<int>(width) * 4;  // the texture's rows, tightly packed
    if (!x || x->bits_per_pixel != 32 || x->byte_order != LSBFirst || x->bytes_per_line != pitch) return nullptr;

    image->segment_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(pitch) * height, IPC_CREAT | 0600);
    if (image->segment_.shmid < 0) return nullptr;
    image->segment_.shmaddr = static_cast<char*>(shmat(image->segment_.shmid, nullptr, 0));
    image->segment_.readOnly = True;  // the server only reads the image
    bool attached = false;
    if (image->segment_.shmaddr != reinterpret_cast<char*>(-1)) {
        x->data = image->segment_.shmaddr;
        XErrorTrap trap(display);
        attached = XShmAttach(display, &image->segment_) && !trap.failed();
    }
    // Once both sides have attached, marking the segment removed frees it
    // when the last of them detaches, however the process ends.
    shmctl(image->segment_.shmid, IPC_RMID, nullptr);
    if (!attached) return nullptr;
    image->attached_ = true;
    image->gc_ = XCreateGC(display, window, 0, nullptr);
    return image;
}

ShmWindowImage::~ShmWindowImage() {
    XErrorTrap trap(display_);
    if (gc_) XFreeGC(display_, gc_);
    if (attached_) XShmDetach(display_, &segment_);
    XSync(display_, False);  // the server lets go of the segment before it is unmapped
    if (segment_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment_.shmaddr);
    if (image_) XDestroyImage(image_);  // frees the structure only, not the shared pixels
}

bool ShmWindowImage::show(GLuint texture) {
    XErrorTrap trap(display_);
    // The reply also says that the server has carried out the previous
    // frame's put, so the image may be written again.
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display_, window_, &root, &x, &y, &width, &height, &border, &depth)) return false;
    if (static_cast<int>(width) != image_->width || static_cast<int>(height) != image_->height) return false;
    // Row 0 is the top row in both the texture and the X image; the window
    // takes its pixels as blue, green, red, alpha bytes.
    glGetTextureImage(texture, 0, GL_BGRA, GL_UNSIGNED_BYTE, image_->bytes_per_line * image_->height, image_->data);
    XShmPutImage(display_, window_, gc_, image_, 0, 0, 0, 0, width, height, False);
    XFlush(display_);
    return true;
}

}  // namespace korvel::gpu::gl
