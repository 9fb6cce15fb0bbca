#pragma once

#include "dict/tdictn.h"

#include <QByteArray>
#include <QFile>

#include <random>
#include <string>
#include <unordered_set>
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

// Every word of the built-in standard list up to nine letters, the words a
// load program's players spell; empty when the list is missing.
inline std::unordered_set<std::string> shortWords()
{
    std::unordered_set<std::string> words;
    QFile list(QStringLiteral(":/words/english.dic"));
    if (!list.open(QIODevice::ReadOnly))
        return words;
    const QByteArray records = list.readAll();
    for (qsizetype at = 0; at + TDictn::recordsize <= records.size(); at += TDictn::recordsize) {
        const QByteArray word = records.mid(at + 1, TDictn::recordsize - 1).trimmed();
        if (word.size() <= 9)
            words.insert(word.toStdString());
    }
    return words;
}

} // namespace gorse
