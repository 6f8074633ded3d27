/* The smallest useful DLL: built for x86 and for x86-64 by the matching MinGW-w64
   compiler, it gives real PE images of both machines to the image header checks. */
__declspec(dllexport) int imageMachineProbe(void) {
    return 1;
}
