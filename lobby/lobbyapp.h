#pragma once

#include "launch/launchoptions.h"
#include "lobby/lobby.h"

namespace gorse {

class InstanceGuard;

// The lobby as a program of its own (gorse --lobby): the window, the table
// finder on the announcement port, and the name and addresses in the
// settings file. Runs the event loop until a game was started or the window
// was closed. guard is held by this process and is not owned.
int runLobby(const LaunchOptions& options, InstanceGuard* guard);

// Starts a program after giving up the single-instance guard, so that the
// started copy of the game can take it; takes the guard again when the start
// fails. guard is not owned and must outlive the starter.
GameStarter startReleasingGuard(InstanceGuard* guard);

// A game joined from the lobby ended from the host's side: the lobby opens
// again, saying "The host has ended the game." when hostEnded is set.
void reopenLobby(const LaunchOptions& options, InstanceGuard* guard, bool hostEnded);

} // namespace gorse
