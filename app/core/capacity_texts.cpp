#include "app/core/capacity_texts.h"

#include "platform/text.h"

namespace valmuri {

CapacityTexts empty_capacity_texts(const TranslationTable& texts)
{
    CapacityTexts result;
    result.project_total = texts[142] + " 0 MB";
    result.file_count = format_text("%d %s", {std::int64_t(0), texts[143]});
    result.bar_caption = format_text("%s %s / %s %s", {"650,00", texts[141], "700,00", texts[144]});
    return result;
}

CapacityTexts cleared_capacity_texts(const TranslationTable& texts)
{
    CapacityTexts result;
    result.project_total = format_text("%s 0 MB", {texts[142]});
    result.file_count = format_text("0 %s", {texts[143]});
    result.bar_caption = format_text("650,00 %s  /  700,00 %s", {texts[141], texts[144]});
    return result;
}

std::string language_notice_text(const TranslationTable& texts, const std::string& language,
                                 const std::string& author)
{
    return texts[104] + " " + language + "\n" + texts[105] + " " + author + "\n\n" + texts[206];
}

} // namespace valmuri
