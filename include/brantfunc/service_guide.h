/*
 * The contract a service guide library must meet so that brantfunc can ask
 * it for the terminals, transit days and terminal details of a shipment.
 *
 * The host loads the library itself (dlopen) and stores the handle in
 * RateContext.serviceGuideModule; GetSGAddresses then looks up the five
 * functions below by their exact names (dlsym). Every request and reply
 * passes through one 1920-byte exchange block that brantfunc owns; the
 * functions get its address and the address of the area the request is
 * about inside it. The block lives as long as the process, so a library may
 * keep these pointers. A library writes only inside the block, and replies
 * with a 4-character status at its start. Texts are single-byte; a reply
 * text fills its field, NUL-padded, or the whole field without a NUL.
 *
 * Call order: ServGd_Initialize once; then per shipment
 * ServGd_GetServGuideData, perhaps followed by ServGd_GetTerminals for the
 * origin and then the destination; ServGd_Terminate last.
 * ServGd_GetTermToTermDays is bound but brantfunc never calls it.
 */
#ifndef BRANTFUNC_SERVICE_GUIDE_H
#define BRANTFUNC_SERVICE_GUIDE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { SERVGD_BLOCK_SIZE = 1920 };

/* The exchange block: each area's offset from the start of the block and
   its width. */
enum {
  /* Header, written by brantfunc before every request except the status. */
  SERVGD_STATUS_AT = 0, /* 4: the library's reply status, below */
  SERVGD_STATUS_SIZE = 4,
  SERVGD_REQUEST_AT = 4, /* 3: "UNQ" */
  SERVGD_REQUEST_SIZE = 3,
  SERVGD_ACCOUNT_AT = 7, /* 4: the tariff's service guide account */
  SERVGD_ACCOUNT_SIZE = 4,
  SERVGD_MODE_AT = 11,          /* 1: "A" or "B" */
  SERVGD_START_AREA_AT = 12,    /* 17: ServGd_Initialize's own area */
  SERVGD_START_AREA_SIZE = 17,
  SERVGD_DATA_DIR_AT = 29, /* the data directory, no trailing separator */
  SERVGD_DATA_DIR_SIZE = 255, /* characters; a NUL always follows */

  /* Lane area: the request of ServGd_GetServGuideData and its reply. */
  SERVGD_LANE_AREA_AT = 570,
  SERVGD_LANE_ORIG_ZIP_AT = 570, /* 6: NUL-padded; a postal code that */
  SERVGD_LANE_DEST_ZIP_AT = 576, /* begins with a letter ends in "0" */
  SERVGD_LANE_ZIP_SIZE = 6,
  SERVGD_ORIG_TERMINAL_AT = 632, /* 4 */
  SERVGD_DEST_TERMINAL_AT = 637, /* 4 */
  SERVGD_TERMINAL_CODE_SIZE = 4,
  SERVGD_TRANSIT_DAYS_AT = 645,    /* 2: decimal text */
  SERVGD_ORIG_EXTRA_DAYS_AT = 647, /* 2: days added at the origin terminal */
  SERVGD_DEST_EXTRA_DAYS_AT = 649, /* 2: days added at the destination */
  SERVGD_DAYS_SIZE = 2,

  /* Terminal area: the request of ServGd_GetTerminals and its reply. A
     request names a ZIP, or a terminal code (the ZIP then blank). */
  SERVGD_TERMINAL_AREA_AT = 1467,
  SERVGD_TERMINAL_ZIP_AT = 1467, /* 6: five characters and a NUL, or spaces */
  SERVGD_TERMINAL_ZIP_SIZE = 6
};

/* The thirteen reply texts of the terminal area: block offset and width.
   The second is the terminal code; a request may fill it (space-padded) to
   ask for that terminal. The meaning of the others is the library's; ours
   gives name, address lines, city, state, postal code, telephone, fax,
   toll-free number, mail address, manager and hours in this order. */
enum {
  SERVGD_TEXT1_AT = 1473, SERVGD_TEXT1_SIZE = 50,
  SERVGD_TEXT2_AT = 1523, SERVGD_TEXT2_SIZE = 5, /* the terminal code */
  SERVGD_TEXT3_AT = 1528, SERVGD_TEXT3_SIZE = 50,
  SERVGD_TEXT4_AT = 1578, SERVGD_TEXT4_SIZE = 50,
  SERVGD_TEXT5_AT = 1628, SERVGD_TEXT5_SIZE = 30,
  SERVGD_TEXT6_AT = 1658, SERVGD_TEXT6_SIZE = 2,
  SERVGD_TEXT7_AT = 1660, SERVGD_TEXT7_SIZE = 10,
  SERVGD_TEXT8_AT = 1670, SERVGD_TEXT8_SIZE = 12,
  SERVGD_TEXT9_AT = 1682, SERVGD_TEXT9_SIZE = 12,
  SERVGD_TEXT10_AT = 1694, SERVGD_TEXT10_SIZE = 12,
  SERVGD_TEXT11_AT = 1706, SERVGD_TEXT11_SIZE = 100,
  SERVGD_TEXT12_AT = 1806, SERVGD_TEXT12_SIZE = 50,
  SERVGD_TEXT13_AT = 1856, SERVGD_TEXT13_SIZE = 50,
  SERVGD_TEXT_COUNT = 13
};

/* Where the same thirteen texts sit in RateContext.origTerminalInfo and
   destTerminalInfo (446 bytes each): every text at its own offset, cut to
   its width and NUL-padded, with one NUL after it. */
enum {
  SERVGD_INFO_TEXT1_AT = 0,
  SERVGD_INFO_TEXT2_AT = 51,
  SERVGD_INFO_TEXT3_AT = 57,
  SERVGD_INFO_TEXT4_AT = 108,
  SERVGD_INFO_TEXT5_AT = 159,
  SERVGD_INFO_TEXT6_AT = 190,
  SERVGD_INFO_TEXT7_AT = 193,
  SERVGD_INFO_TEXT8_AT = 204,
  SERVGD_INFO_TEXT9_AT = 217,
  SERVGD_INFO_TEXT10_AT = 230,
  SERVGD_INFO_TEXT11_AT = 243,
  SERVGD_INFO_TEXT12_AT = 344,
  SERVGD_INFO_TEXT13_AT = 395
};

/* Reply statuses as brantfunc reads them: "1001" is found; a status above
   "1001" and below "1099" (compared byte by byte) is an error; for
   ServGd_GetServGuideData a status read as a number above 1100 is also
   taken as found, and any other status gives no terminals and "00" days. */

/* Starts the library on the data directory in the block; status "1001"
   when it accepts. `startArea` is the block + SERVGD_START_AREA_AT. The
   result is ignored. */
typedef int32_t (*ServGd_Initialize_fn)(uint8_t* block, uint8_t* startArea);
/* Answers the lane in the lane area: terminals, transit days and extra
   days. `laneArea` is the block + SERVGD_LANE_AREA_AT. The result is
   ignored. */
typedef int32_t (*ServGd_GetServGuideData_fn)(uint8_t* block, uint8_t* laneArea);
/* Answers the terminal area's request with the thirteen texts.
   `terminalArea` is the block + SERVGD_TERMINAL_AREA_AT. The result is
   ignored. */
typedef int32_t (*ServGd_GetTerminals_fn)(uint8_t* block, uint8_t* terminalArea);
/* The days between the two terminal codes of the lane reply, into its
   transit days. Bound, never called by brantfunc. */
typedef int32_t (*ServGd_GetTermToTermDays_fn)(uint8_t* block, uint8_t* laneArea);
/* Ends the library's work; the low byte of the result is non-zero on
   success. */
typedef int32_t (*ServGd_Terminate_fn)(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* BRANTFUNC_SERVICE_GUIDE_H */
