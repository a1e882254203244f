#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace trassolin {

// An append-only list stored in blocks of fixed size. Growing never moves what is stored, so
// a list of many megabytes never exists twice in memory while it grows, as a vector's would
// when it reallocates.
template <typename T> class BlockList {
public:
    static constexpr std::size_t kPerBlock = 4096;

    void push_back(const T& item) {
        if (size_ % kPerBlock == 0) blocks_.push_back(std::make_unique_for_overwrite<T[]>(kPerBlock));
        blocks_.back()[size_ % kPerBlock] = item;
        ++size_;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const { return blocks_[i / kPerBlock][i % kPerBlock]; }

    // Calls `f` for the items first .. last - 1 in order, a block at a time.
    template <typename F> void forEach(std::size_t first, std::size_t last, F&& f) const {
        while (first < last) {
            const T* block = blocks_[first / kPerBlock].get();
            const std::size_t end = std::min(last, (first / kPerBlock + 1) * kPerBlock);
            for (std::size_t i = first; i < end; ++i) f(block[i % kPerBlock]);
            first = end;
        }
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    std::size_t size_ = 0;
};

} // namespace trassolin
