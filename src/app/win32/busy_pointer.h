#pragma once

// The hourglass over every window of the program, the main window, the connection dialog and the
// message boxes alike, until it is given up. Two may want it: the program (the busy pointer of a
// pending inspection pass) and the connection dialog while it waits for a server; it shows while
// either does. The user-interface thread only.
void SetProgramBusy(bool busy);

class BusyWhileWaiting {
public:
    BusyWhileWaiting();
    ~BusyWhileWaiting();
    BusyWhileWaiting(const BusyWhileWaiting&) = delete;
    BusyWhileWaiting& operator=(const BusyWhileWaiting&) = delete;
};
