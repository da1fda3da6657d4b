#include "app/core/builtin_language.h"

#include <QFile>

namespace valmuri {

const IniFile& builtin_language()
{
    static const IniFile file = [] {
        QFile resource(QStringLiteral(":/idiomas/PORTUGUES_BR.INI"));
        QByteArray bytes;
        if (resource.open(QIODevice::ReadOnly))
            bytes = resource.readAll();
        return IniFile::from_text(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    }();
    return file;
}

} // namespace valmuri
