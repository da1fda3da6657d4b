#pragma once
// The saved properties of the program's stored items, generated at build time
// by jobs/core/tools/make_stored_items.cpp.

#include <cstddef>
#include <cstdint>

namespace valmuri::jobs {

struct StoredItemRecord {
    const char* file_name;
    std::uint32_t file_size;
    const unsigned char* property; // "StoredItem": 32-bit length, stored data
    std::size_t property_size;
};

inline constexpr std::size_t kProgramStoredItemCount = 5;
extern const StoredItemRecord kProgramStoredItems[kProgramStoredItemCount];

} // namespace valmuri::jobs
