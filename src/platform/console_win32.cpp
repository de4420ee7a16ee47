#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <iostream>

#include "platform/console.h"
#include "platform/wide_text.h"

namespace celestra {

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) arguments.push_back(Utf8Text(wide[i]));
        LocalFree(wide);
    }
    return arguments;
}

void WriteLine(std::ostream& stream, const std::string& text) {
    // The C runtime would hand a console the bytes one by one, or translate
    // them from its own locale first.
    const HANDLE handle = GetStdHandle(&stream == &std::cerr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        stream.flush();
        const std::wstring wide = WideText(text + "\r\n");
        DWORD written = 0;
        if (WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) return;
    }
    stream << text << "\n";
}

}  // namespace celestra
