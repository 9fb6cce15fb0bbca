#pragma once

// The word lists built into the program: the standard one, used by default,
// and a large one that also has rarer and abbreviation-like short words.

#include <QString>
#include <QStringView>
#include <optional>

namespace gorse {

enum class BuiltinList { Standard, Large };

// "standard" or "large", the names a command line or settings file uses for
// the built-in lists.
QString builtinListName(BuiltinList list);
// The built-in list of that name, letter case ignored; nothing for any other
// text.
std::optional<BuiltinList> builtinListFromName(QStringView name);

} // namespace gorse
