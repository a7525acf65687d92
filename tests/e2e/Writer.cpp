// A slot's program for the scenario under Wine: writes its command line to "<itself>.ran".
#include <cstdio>
#include <windows.h>

int main() {
    wchar_t self[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    FILE* ran = n ? _wfopen(wcscat(self, L".ran"), L"w") : nullptr;
    return ran && fputws(GetCommandLineW(), ran) >= 0 && fclose(ran) == 0 ? 0 : 1;
}
