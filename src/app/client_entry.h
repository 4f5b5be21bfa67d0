#pragma once

class StartupServices;

// The whole life of the client process: brings up OLE and the browser engine, runs the
// main thread's UI loop until the quit message, and tears everything down in reverse.
// Returns the process exit code, which is always 0.
int RunClientEntry(StartupServices& services);
