#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lorvex {

// A value for each of count places of a file, 0 until set. Pages of kPerPage
// values are allocated on first use, so memory follows where the walks over
// the file go, not its size.
template <typename Value, std::size_t kPerPage>
class PagedTable {
public:
    explicit PagedTable(std::uint64_t count)
        : pages_(static_cast<std::size_t>(count / kPerPage + 1)) {}

    // The value at index; null beyond the count given.
    Value* at(std::uint64_t index) {
        if (index / kPerPage >= pages_.size()) return nullptr;
        std::unique_ptr<Page>& page = pages_[static_cast<std::size_t>(index / kPerPage)];
        if (!page) page = std::make_unique<Page>();
        return &page->values[index % kPerPage];
    }

private:
    struct Page {
        Value values[kPerPage] = {};
    };
    std::vector<std::unique_ptr<Page>> pages_;
};

}  // namespace lorvex
