#include "jobs/core/program_storage.h"

#include "jobs/core/program_storage_data.h"

namespace valmuri::jobs {

TmxStorage program_storage()
{
    TmxStorage storage;
    for (const StoredItemRecord& record : kProgramStoredItems) {
        TmxStoredItem& item = storage.add();
        item.SetFileName(record.file_name);
        // The data is made by the build; a damaged property is a build fault.
        item.load_property(Bytes(record.property, record.property + record.property_size),
            TCompressionLevel::clMax, record.file_size);
    }
    return storage;
}

} // namespace valmuri::jobs
