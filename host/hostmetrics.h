#pragma once

#include <QByteArray>

namespace gorse {

class TableSet;

// The server's state and counters in the Prometheus text format (version
// 0.0.4): connections by kind, seated players and spies, tables playing,
// games, words, bytes, connections dropped by reason and the dispatch turn
// times, summed over every table.
QByteArray prometheusText(const TableSet& tables);
inline constexpr char kPrometheusType[] = "text/plain; version=0.0.4; charset=utf-8";

} // namespace gorse
