// The burner's image operations: layout, image size and header.

#include "engine/burner.h"

#include "engine/burn_errors.h"
#include "engine/image_header.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace valmuri {
namespace {

// Start sectors this high are not real disc addresses.
constexpr std::uint32_t HighestStartSector = 0xFF000000;

std::optional<std::int64_t> regular_file_size(const std::string& path)
{
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st.st_size;
}

} // namespace

bool TVordaCDBurner::BuildLayout(bool SkipDiscQuery, TDEntry* ImportInto)
{
    const auto boot_size = bootable_ ? regular_file_size(boot_image_) : std::nullopt;
    if (!boot_size)
        bootable_ = false;
    SetDoDebug(false);

    std::uint32_t start = 0;
    if (!SkipDiscQuery && disc_queries_ != nullptr) {
        current_disc_type_.store(disc_queries_->ReadDiscType());
        if (burn_starting_) {
            const auto found = disc_queries_->FindStartSector();
            if (!found)
                DebugMessage(">>> ERROR GETTING NEXT WRITABLE ADDRESS", 0);
            start = found.value_or(0);
            if (start > HighestStartSector)
                start = 0;
        }
        if (import_session_ != 0)
            disc_queries_->ImportPreviousSession(static_cast<std::int8_t>(import_session_ & 0xFF),
                                                 ImportInto != nullptr ? ImportInto : tree_.Root());
    }

    LayoutOptions options;
    options.start_sector = start;
    options.joliet = joliet_file_system_;
    options.bootable = bootable_;
    options.boot_image_bytes = boot_size.value_or(0);
    layout_ = compute_layout(tree_, options);
    return true;
}

std::int64_t TVordaCDBurner::ImageSize() const
{
    if (write_post_gap_ && layout_.ImageSectors < PostGapMinimumSectors)
        return PostGapMinimumSectors;
    return layout_.ImageSectors;
}

bool TVordaCDBurner::BuildImageHeader()
{
    HeaderOptions options;
    options.joliet = joliet_file_system_;
    options.bootable = bootable_;
    options.ids = ids_;
    options.now = now_();
    options.joliet_creation = date_creation_;
    options.joliet_modification = date_modification_;
    options.zone = zone_;
    const bool matches = build_image_header(header_stream_, tree_, layout_, options);
    if (!matches)
        DebugMessage(burn_error::kHeaderMismatch, 0);

    std::fill(descriptor_copy_.begin(), descriptor_copy_.end(), 0xFF);
    const std::size_t descriptors = std::size_t{layout_.Terminator + 1 - layout_.StartSector} * SectorSize;
    std::memcpy(descriptor_copy_.data(), header_stream_.data(),
                std::min({descriptors, header_stream_.size(), descriptor_copy_.size()}));

    layout_.ImageSectors = layout_.VolumeEnd - layout_.StartSector;
    SetDoDebug(true);
    return matches;
}

} // namespace valmuri
