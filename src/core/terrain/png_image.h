#pragma once

// Grey PNG images as map makers use them: the terrain's height map (one channel, 16 bits per
// pixel) and 8-bit masks for painting terrain layers and foliage.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace trassolin {

// A grey image of 16-bit pixels, row 0 first, each row from column 0. The pixels live in one
// block (for a map of 8193² pixels 134 MB), which is never copied behind the owner's back.
class GreyImage16 {
public:
    GreyImage16() = default;
    // All pixels 0. Throws TrassolinError for a size that is not positive.
    GreyImage16(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    std::uint16_t at(int column, int row) const { return pixels_.get()[index(column, row)]; }
    std::uint16_t& at(int column, int row) { return pixels_.get()[index(column, row)]; }
    std::span<const std::uint16_t> row(int r) const {
        return {pixels_.get() + index(0, r), static_cast<std::size_t>(width_)};
    }
    std::span<std::uint16_t> row(int r) {
        return {pixels_.get() + index(0, r), static_cast<std::size_t>(width_)};
    }
    // A deep copy, on request only.
    GreyImage16 clone() const;

private:
    friend GreyImage16 readGreyPng16(const std::filesystem::path& file);
    struct FreeDeleter {
        void operator()(std::uint16_t* p) const;
    };
    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(column);
    }

    int width_ = 0, height_ = 0;
    std::unique_ptr<std::uint16_t, FreeDeleter> pixels_;
};

// The largest height map read: an 8 km map at half a metre, a 16 km map at 1 m.
inline constexpr int kMaxHeightMapSide = 16385;

// Reads a single-channel 16-bit PNG. The file is decoded while it is read, so that the peak
// memory stays near twice the pixels whatever the file's size. Throws IoError when the file
// cannot be opened or read, TrassolinError naming the file when it is no PNG, is damaged,
// holds anything but one grey channel of 16 bits, is larger than kMaxHeightMapSide or holds
// data that would unpack to far more than its size needs, and std::bad_alloc when the memory
// for a height map of its size cannot be had.
GreyImage16 readGreyPng16(const std::filesystem::path& file);

// A PNG file holding one grey channel of `bitDepth` (8 or 16) bits per pixel, its bytes handed
// to `out` in order. `rows(r, pixels)` fills the `width` pixels of row r, row 0 first (with 8
// bits only values up to 255). The same pixels always give the same bytes. Throws
// TrassolinError for a size no PNG reader takes.
using GreyRowSource = std::function<void(int row, std::span<std::uint16_t> pixels)>;
using ByteSink = std::function<void(std::string_view bytes)>;
void encodeGreyPng(int width, int height, int bitDepth, const GreyRowSource& rows,
                   const ByteSink& out);

// The same into `file`, which is replaced only by a complete new one (IoError otherwise).
void writeGreyPng(const std::filesystem::path& file, int width, int height, int bitDepth,
                  const GreyRowSource& rows);

} // namespace trassolin
