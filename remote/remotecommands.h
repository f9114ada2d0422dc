// The remote command table: which command object serves which header. A command class
// joins the protocol with one entry in remotecommands.cpp.
#pragma once

class Remote;

// Creates one object of each command class and inserts its keys into the interpreter.
void installRemoteCommands(Remote& remote);
