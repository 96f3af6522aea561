// What a Microsoft-ABI program needs when no Microsoft C runtime is installed: the entry point and the
// floating-point marker, on top of msvcrt.dll and kernel32.dll. The host allocates nothing itself.
extern "C" {
__declspec(dllimport) void __stdcall ExitProcess(unsigned code);
int main();
void mainCRTStartup() { ExitProcess(static_cast<unsigned>(main())); }
int _fltused = 0;
}
