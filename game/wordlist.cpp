#include "game/wordlist.h"

namespace gorse {

QString builtinListName(BuiltinList list)
{
    return list == BuiltinList::Large ? QStringLiteral("large") : QStringLiteral("standard");
}

std::optional<BuiltinList> builtinListFromName(QStringView name)
{
    for (const BuiltinList list : {BuiltinList::Standard, BuiltinList::Large}) {
        if (name.compare(builtinListName(list), Qt::CaseInsensitive) == 0)
            return list;
    }
    return std::nullopt;
}

} // namespace gorse
