#pragma once
// liblectra.so: the barcode scanner library of the suite. A program installs
// an event procedure with SetEventProc; the library calls it on a thread of its
// own with each scanned code as a length-prefixed string: one length byte,
// then at most 255 cp1251 characters (longer codes are cut to 255).
//
// Codes come from velta-scan through the socket of ScanChannel.h, which the
// library listens on while a procedure is installed, or from
// VeltaScanDeliver, which hands a code to the same thread.
//
// The library stays mapped after dlclose: its thread may be inside the event
// procedure when the program lets it go, and waiting for that thread there
// could wait for ever on a procedure that itself waits for the program's
// window thread. For the same reason SetEventProc never waits for the thread;
// a delivery already under way may still reach the procedure being replaced.

extern "C" {

typedef void (*LectraEventProc)(const unsigned char* code);

// Installs the event procedure (null: none, and the library stops listening)
// and returns the one installed before.
__attribute__((visibility("default"))) LectraEventProc SetEventProc(LectraEventProc proc);

// Hands a code (cp1251 bytes) to the library's thread as if it had been
// scanned. Returns 1 when the code was taken, 0 when no procedure is installed
// or the length is not positive.
__attribute__((visibility("default"))) int VeltaScanDeliver(const char* code, int length);
}
