#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace trassolin {

// An append-only list stored in blocks of fixed capacity. Growing never moves what is stored,
// so a list of many megabytes never exists twice in memory while it grows, as a vector's
// would when it reallocates; and a list built elsewhere joins this one without a copy.
template <typename T> class BlockList {
public:
    static constexpr std::size_t kPerBlock = 4096;

    void push_back(const T& item) {
        if (blocks_.empty() || blocks_.back().count == kPerBlock) {
            blocks_.push_back({std::make_unique_for_overwrite<T[]>(kPerBlock), 0});
        }
        Block& last = blocks_.back();
        last.items[last.count++] = item;
        ++size_;
    }

    // Moves the items of `other` behind these, block by block; `other` is left empty.
    void splice(BlockList&& other) {
        for (Block& block : other.blocks_) blocks_.push_back(std::move(block));
        size_ += other.size_;
        other.blocks_.clear();
        other.size_ = 0;
    }

    // The last item; the list must not be empty.
    T& back() { return blocks_.back().items[blocks_.back().count - 1]; }
    const T& back() const { return blocks_.back().items[blocks_.back().count - 1]; }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Calls `f` for the items first .. last - 1 in order.
    template <typename F> void forEach(std::size_t first, std::size_t last, F&& f) const {
        std::size_t start = 0; // index of the current block's first item
        for (const Block& block : blocks_) {
            if (start >= last) return;
            const std::size_t end = start + block.count;
            for (std::size_t i = std::max(first, start); i < std::min(last, end); ++i) {
                f(block.items[i - start]);
            }
            start = end;
        }
    }

    // Calls `f` on every item, which it may change in place.
    template <typename F> void forEachMutable(F&& f) {
        for (Block& block : blocks_) {
            for (std::size_t i = 0; i < block.count; ++i) f(block.items[i]);
        }
    }

private:
    struct Block {
        std::unique_ptr<T[]> items;
        std::size_t count;
    };
    std::vector<Block> blocks_;
    std::size_t size_ = 0;
};

} // namespace trassolin
