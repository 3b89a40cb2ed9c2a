/* Preloaded into a child process: makes fsync fail with EIO, on regular files
   when MAPPLOT_FAIL_FSYNC is "file", on folders when it is "folder". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

int fsync(int descriptor) {
  const char* which = getenv("MAPPLOT_FAIL_FSYNC");
  struct stat status;
  if (which != NULL && fstat(descriptor, &status) == 0) {
    if ((strcmp(which, "file") == 0 && S_ISREG(status.st_mode)) ||
        (strcmp(which, "folder") == 0 && S_ISDIR(status.st_mode))) {
      errno = EIO;
      return -1;
    }
  }
  int (*real_fsync)(int) = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
  return real_fsync(descriptor);
}
