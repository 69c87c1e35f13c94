#include "widget_host/layer_shell/shm_buffer.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <bit>

#include <wayland-client.h>

namespace vantric {

// WL_SHM_FORMAT_ARGB8888 is a little-endian 32-bit word, which is the byte order of Qt's
// ARGB32_Premultiplied on a little-endian machine; both are premultiplied.
static_assert(std::endian::native == std::endian::little);

std::unique_ptr<ShmBuffer> ShmBuffer::make(wl_shm* shm, QSize pixels) {
    if (pixels.isEmpty()) {
        return nullptr;
    }
    const int stride = pixels.width() * 4;
    const auto bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(pixels.height());
    const int fd = memfd_create("vantric-widget", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) {
        return nullptr;
    }
    void* const memory = ftruncate(fd, static_cast<off_t>(bytes)) == 0
                             ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                             : MAP_FAILED;
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    // The compositor cannot make the file shorter under our feet, nor can we.
    static_cast<void>(fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL));
    wl_shm_pool* const pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    wl_buffer* const buffer = wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(),
                                                        stride, WL_SHM_FORMAT_ARGB8888);
    // The buffer keeps the pool's memory; the descriptor has been sent.
    wl_shm_pool_destroy(pool);
    close(fd);
    return std::unique_ptr<ShmBuffer>(new ShmBuffer(buffer, memory, bytes, pixels));
}

ShmBuffer::ShmBuffer(wl_buffer* buffer, void* memory, std::size_t bytes, QSize pixels)
    : buffer_(buffer),
      memory_(memory),
      bytes_(bytes),
      image_(static_cast<uchar*>(memory), pixels.width(), pixels.height(),
             qsizetype{pixels.width()} * 4, QImage::Format_ARGB32_Premultiplied) {
    static const wl_buffer_listener released{.release = [](void* data, wl_buffer* /*buffer*/) {
        static_cast<ShmBuffer*>(data)->busy_ = false;
    }};
    wl_buffer_add_listener(buffer_, &released, this);
}

ShmBuffer::~ShmBuffer() {
    wl_buffer_destroy(buffer_);
    munmap(memory_, bytes_);
}

wl_buffer* ShmBuffer::attach() {
    busy_ = true;
    return buffer_;
}

}  // namespace vantric
