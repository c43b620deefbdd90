// A stand-in for a running game client: waits until it is ended, at most
// a minute, and then exits with 7 (a terminated copy exits with 0).

#include <windows.h>

int main() {
    Sleep(60000);
    return 7;
}
