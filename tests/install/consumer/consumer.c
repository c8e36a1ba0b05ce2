/* Opens the tariff SMALL in the directory given (ending in "/"), rates
   10001 to 90001, class 100, 1500 pounds, and prints the rate basis and the
   net charge. */
#include <brantfunc/brantfunc.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char* Trimmed(char* text) { return strltrim(strtrim(text)); }

int main(int argc, char** argv) {
  RateContext* rc = calloc(1, sizeof *rc);
  int32_t stateTableLoaded = 0;
  int rated = 0;
  if (argc != 2 || rc == NULL || strlen(argv[1]) >= sizeof rc->dataDir) return 2;
  rc->zf1Handle = rc->auxHandle = rc->classAdjHandle = rc->mx1Handle = rc->facHandle = -1;
  rc->fc1Handle = rc->fc2Handle = rc->rteHandle = rc->bseHandle = rc->altFactorHandle = -1;
  strcpy(rc->dataDir, argv[1]);
  strcpy(rc->profileDir, argv[1]);
  strcpy(rc->tariffName, "SMALL");
  strcpy(rc->origZip, "10001");
  strcpy(rc->destZip, "90001");
  if (OpenAllFiles(rc, &stateTableLoaded) && VerOrigZip(rc) && VerDestZip(rc) &&
      VerTerritory(rc) && VerClass(rc, "100", 0, 0) && VerWeight(rc, "1500\0\0", 0)) {
    rated = RateShipment(rc, 0, 0) == 1;
  }
  if (rated) {
    printf("%s %s\n", rc->rbno, Trimmed(rc->netCharge));
  } else {
    warning("", "consumer", rc->errorCode, NULL);
  }
  CloseAllFiles(rc);
  free(rc);
  return rated ? 0 : 1;
}
