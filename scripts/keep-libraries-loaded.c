/* Preloaded by scripts/sanitize.sh into the test processes: dlclose() leaves
 * every library mapped until the process exits.
 *
 * eglTerminate unloads Mesa's driver (swrast_dri.so and the LLVM it pulls in).
 * Memory those libraries still point to from their own globals then looks
 * unreachable to LeakSanitizer, which runs at exit, and the frames of the
 * allocation can no longer be named. Keeping the libraries mapped keeps both
 * the roots and the names, so only real leaks are reported. */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
