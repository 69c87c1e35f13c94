#pragma once

#include <memory>

#include <QImage>
#include <QSize>

struct wl_buffer;
struct wl_shm;

namespace vantric {

// A picture the compositor reads from memory both share: 32-bit pixels with alpha, so that a
// widget's rounded corners show the desktop through. Busy from being attached until the
// compositor releases it; painting a busy buffer would tear what is on screen. Main thread.
class ShmBuffer {
public:
    // Nothing when the memory cannot be had.
    static std::unique_ptr<ShmBuffer> make(wl_shm* shm, QSize pixels);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    QSize pixels() const { return image_.size(); }
    bool busy() const { return busy_; }
    // The pixels to paint, while not busy.
    QImage& image() { return image_; }
    // The buffer to attach; it is busy until the compositor is done with it.
    wl_buffer* attach();

private:
    ShmBuffer(wl_buffer* buffer, void* memory, std::size_t bytes, QSize pixels);

    wl_buffer* buffer_;
    void* memory_;
    std::size_t bytes_;
    QImage image_;
    bool busy_ = false;
};

}  // namespace vantric
