#pragma once

#include "support/qtprint.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace gorse::test {

// Runs the event loop until pred() holds or timeoutMs passed; returns pred().
// The timeout only bounds a failing test; passing tests never wait for it,
// so it is generous: a machine busy with other work must not fail a test.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 20000);
// Runs the event loop for a short while, for checking that nothing happens.
void settle(int ms = 50);
// The folder holding the built executables (gorse, gorse-host).
QString binDir();
// A message made readable: 0xFF shown as "|FF|".
QByteArray visible(const QByteArray& bytes);

} // namespace gorse::test
