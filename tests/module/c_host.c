/* A host written in C: the public header must compile as C and the record
   must look the same from C as from C++. */
#include <brantfunc/brantfunc.h>

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

size_t CHostRecordSize(void) { return sizeof(RateContext); }
size_t CHostOffsetOfErrorCode(void) { return offsetof(RateContext, errorCode); }
size_t CHostOffsetOfProfileRecord(void) { return offsetof(RateContext, profileRecord); }

/* Opens a tariff file the way the README shows; the descriptor or -1. */
int CHostOpen(const char* dataDir, const char* tariffName, const char* extension) {
  RateContext* rc = calloc(1, sizeof *rc);
  if (rc == NULL) return -1;
  strncpy(rc->dataDir, dataDir, sizeof rc->dataDir - 1);
  strncpy(rc->tariffName, tariffName, sizeof rc->tariffName - 1);
  int fd = Openfile(rc, extension);
  free(rc);
  return fd;
}
