#include "app/core/translation_table.h"

namespace valmuri {

void TranslationTable::load(const IniFile& language_file, std::filesystem::path path)
{
    for (int n = 1; n <= kCount; ++n)
        texts_[std::size_t(n - 1)] = language_file.read_string("traducao", "a" + std::to_string(n));
    path_ = std::move(path);
}

const std::string& TranslationTable::text(int n) const
{
    static const std::string empty;
    if (n < 1 || n > kCount)
        return empty;
    return texts_[std::size_t(n - 1)];
}

void TranslationTable::set_text(int n, std::string value)
{
    if (n >= 1 && n <= kCount)
        texts_[std::size_t(n - 1)] = std::move(value);
}

} // namespace valmuri
