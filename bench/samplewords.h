#pragma once

#include "dict/tdictn.h"

#include <QByteArray>
#include <QFile>

#include <random>
#include <vector>

namespace gorse {

// A fixed random sample of the built-in standard list's words, as the host
// would ask them (upper case, no blanks); empty when the list is missing.
inline std::vector<QByteArray> sampleWords(std::size_t count)
{
    QFile file(QStringLiteral(":/words/english.dic"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray records = file.readAll();
    const qsizetype n = records.size() / TDictn::recordsize;
    if (n == 0)
        return {};
    std::mt19937 rng(7772);
    std::uniform_int_distribution<qsizetype> pick(0, n - 1);
    std::vector<QByteArray> words;
    for (std::size_t i = 0; i < count; ++i)
        words.push_back(records.mid(pick(rng) * TDictn::recordsize + 1, 14).trimmed());
    return words;
}

} // namespace gorse
