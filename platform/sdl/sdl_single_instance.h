// The running copy's side of the single-instance guard, for the event loop: the socket on which
// other copies ask it to come forward, and the requests that came in. No SDL here.
#pragma once

// The listening socket (a file descriptor to wait on for reading), or -1 while none listens.
int SingleInstanceSocket();

// Takes every waiting connection on the socket; true when one of them asked "activate".
// Never blocks for long: a connection that sends nothing is dropped after a short wait.
bool TakeActivateRequest();
