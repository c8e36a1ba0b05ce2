/* A host written in C: the public header must compile as C and the record
   must look the same from C as from C++. */
#include <brantfunc/brantfunc.h>

#include <stddef.h>

size_t CHostRecordSize(void) { return sizeof(RateContext); }
size_t CHostOffsetOfErrorCode(void) { return offsetof(RateContext, errorCode); }
size_t CHostOffsetOfProfileRecord(void) { return offsetof(RateContext, profileRecord); }
