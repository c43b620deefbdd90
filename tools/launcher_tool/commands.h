#pragma once
// Sub-commands of launcher-tool. Each takes its arguments (after the
// sub-command name) and returns the process exit code; errors are printed
// as one line "launcher-tool: <reason>".

#include <string>
#include <vector>

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;    // arguments
    const char* summary;  // one line
    int (*run)(const Args&);
};

int LsoCompile(const Args&);
int LsoDecompile(const Args&);
int RarCreate(const Args&);
int ArchiveList(const Args&);
int ArchiveExtract(const Args&);
int SlotMake(const Args&);
int SlotPatch(const Args&);
int SlotShow(const Args&);
int Checksum(const Args&);
int MakeUpdateSet(const Args&);
int MakeIncrement(const Args&);
int Verify(const Args&);
int Brand(const Args&);
int Keygen(const Args&);
int CudEncrypt(const Args&);
int CudDecrypt(const Args&);

// Prints "launcher-tool: <reason>" and returns 1.
int Fail(const std::string& reason);
// Prints the usage of one command and returns 2.
int Usage(const std::string& command);
