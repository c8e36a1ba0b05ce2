/*
 * brantfunc: less-than-truckload freight rating, C interface.
 *
 * The contract, in short:
 *
 *  - The host owns one RateContext per tariff session. Allocate it (zeroed
 *    is the safe start, e.g. calloc), set every file handle field to -1 and
 *    every table pointer to NULL, fill the fields marked "host:" below, and
 *    pass its address as the first argument of the exports. The record must
 *    stay in place while any table or handle it holds is in use; release
 *    those with CloseAllFiles, then free the record yourself.
 *
 *  - The layout is byte-packed and fixed: fields follow one another with no
 *    gaps, in the order below. Pointers and module handles are pointer-sized;
 *    every other width is as written. Host bytes (hostBytesNN) are yours:
 *    the library never reads or writes them. The embedded file records
 *    (settings, defRecord, discFile, profileRecord) are raw bytes in their
 *    file layouts, little-endian.
 *
 *  - Failures come back as a return value (1 success, 0 failure unless the
 *    function says otherwise) plus a status code in errorCode. The library
 *    never clears errorCode on success unless a function says so. Turn a
 *    code into words with the message exports (an empty text selects the
 *    code's message).
 *
 *  - File handles are POSIX descriptors held in 32-bit fields: greater than
 *    0 is open, -1 is closed.
 *
 *  - Texts are single-byte. Every text the library writes into a result
 *    field ends inside it: amounts and weights are right-aligned decimal
 *    texts; a text copied from a tariff, a user file or your own fields
 *    (discountText, floorText, lineWeight, lineClass) loses blanks, and
 *    zeros that do not change its number, until it fits with its
 *    terminator. Where no such cut fits, VerWeight (a seven-digit weight)
 *    and VerClass refuse the line, and discountText or floorText is left
 *    empty while the number itself still applies.
 *  - Your input texts (userDiscountText, userFloorText,
 *    userBreakDiscountText, the class and weight texts you pass) are read up
 *    to their first NUL or their field's end, whichever comes first; they
 *    need no terminator. Decimal texts read as atof reads them in the C
 *    locale; weights as atol.
 *
 *  - Threads: rating keeps its working state per thread, so separate records
 *    may be rated on separate threads at once; one record is used by one
 *    thread at a time. The tariff engine and service guide bridges keep one
 *    process-wide binding each: call the exports that may reach them
 *    (GetTEAddresses, InitializeTEdll, EndTEdll, EngineGetStateCode,
 *    SetClassesAndWeights, the engine path of RateShipment, GetSGAddresses,
 *    InitializeSGdll, GetService, GetTerminals, EndSGdll, and VerOrigZip,
 *    VerDestZip and GetStateCode, which ask the engine for states when no
 *    state table is loaded) from one thread at a time. The message exports
 *    and the hook setters may be called from any thread. SplitPath's result
 *    buffer is per thread.
 *
 *  - Text buffers: an export that writes into a caller's buffer writes no
 *    more than its declaration below states. ForceFileNameExtension can
 *    lengthen its argument ("a" becomes "a.ABC"): pass a buffer of 260
 *    bytes (BRANT_PATH_SIZE). strtrim and strltrim work in place and never
 *    lengthen. ReadPonyOpt needs 1842 bytes, GetProfileKey 31; the state
 *    outputs of GetStateCode and EngineGetStateCode take 2 bytes and each
 *    of GetStateCode's flags one.
 *
 *  - Memory: the library never throws. When a heap block cannot be had,
 *    the export returns its failure with the allocation status of the table
 *    concerned, and the record stays fit for CloseAllFiles.
 *
 *  - Hooks: the library never blocks on its own. Where the system shows a
 *    message box it calls the message-box hook (default: writes caption and
 *    text to stderr and answers OK); where it asks the host's message loop
 *    to end it calls the quit hook (default: records the code, read back
 *    with GetLastQuitCode). Install your own with SetMessageBoxHook and
 *    SetQuitHook; NULL restores the default.
 */
#ifndef BRANTFUNC_BRANTFUNC_H
#define BRANTFUNC_BRANTFUNC_H

#include <stdint.h>

#if defined(__GNUC__)
#define BRANTFUNC_API __attribute__((visibility("default")))
#else
#define BRANTFUNC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status codes that functions of the library set ------------------- */

enum {
  BRANT_INVALID_ORIGIN_ZIP = 101,
  BRANT_INVALID_DEST_ZIP = 102,
  BRANT_OUT_OF_SCOPE = 103,
  BRANT_INVALID_TERRITORY = 104,
  BRANT_INVALID_CLASS = 105,
  BRANT_INVALID_WEIGHT = 106,
  BRANT_INVALID_ZIP_COMBINATION = 501
};

/* Message box styles and answers, with their Windows numbers. */
enum {
  BRANT_MB_FATAL = 16,       /* OK button, stop icon */
  BRANT_MB_QUESTION = 36,    /* Yes and No buttons, question icon */
  BRANT_MB_WARNING = 48,     /* OK button, exclamation icon */
  BRANT_MB_INFORMATION = 64, /* OK button, information icon */
  BRANT_IDOK = 1,
  BRANT_IDYES = 6,
  BRANT_IDNO = 7
};

/* ---- Sizes ------------------------------------------------------------- */

enum {
  BRANT_LINES = 8,                  /* shipment lines */
  BRANT_CLASS_SLOTS = 20,           /* classTable */
  BRANT_WEIGHT_SLOTS = 20,          /* weightLabels, weightMax, weightMin */
  BRANT_WGT_RECORDS = 9,            /* .WGT records kept */
  BRANT_WGT_RECORD_SIZE = 21,
  BRANT_BASE_RATE_CELLS = 175,
  BRANT_CHARGE_LIST_ROWS = 15,
  BRANT_CHARGE_LIST_SIZE = 379,
  BRANT_ACC_RECORDS = 100,
  BRANT_ACC_RECORD_SIZE = 124,
  BRANT_LANE_ADJUSTMENT_SLOTS = 99,
  BRANT_STATE_CODE_RECORDS = 999,
  BRANT_STATE_CODE_RECORD_SIZE = 8,
  BRANT_ZF1_ROWS = 11200,
  BRANT_SETTINGS_SIZE = 373,
  BRANT_DEF_RECORD_SIZE = 349,
  BRANT_DIS_RECORD_SIZE = 605,
  BRANT_PROFILE_RECORD_SIZE = 493165,
  BRANT_TERMINAL_INFO_SIZE = 446,
  BRANT_PATH_SIZE = 260,
  BRANT_TARIFF_NAME_SIZE = 9
};

/* ---- The record --------------------------------------------------------

   A charge list is 379 bytes: keys i32[15], amounts i32[15] in cents,
   marks char[15][2] ("*" when the amount was raised to the floor), labels
   char[15][15], and the i32 count of entries in use. Its fields appear
   inline in the record under the list's prefix. */

#pragma pack(push, 1)

typedef struct RateContext {
  /* Handles, small tables and counts */
  int32_t zf1Handle;                /* kept-open .ZF1 */
  uint8_t hostBytes01[8];
  int32_t auxHandle;                /* never opened; CloseAllFiles closes it */
  int32_t classAdjHandle;           /* host: class minimum adjustment file */
  uint8_t hostBytes02[4];
  int32_t mx1Handle;                /* .MX1 while a matrix row is read */
  uint8_t hostBytes03[8];
  int32_t facHandle;                /* kept-open .FAC */
  int32_t fc1Handle;                /* kept-open .FC1 */
  int32_t fc2Handle;                /* kept-open .FC2 */
  int32_t rteHandle;                /* rate file during one read */
  uint8_t hostBytes04[4];
  int32_t bseHandle;                /* kept-open .BSE */
  int32_t altFactorHandle;          /* host: Mexican factor file */
  uint8_t hostBytes05[8];
  uint8_t* classMinimumTable;       /* host: 12-byte entries; never freed */
  char* mchTable;                   /* .MCH text, two NULs after it */
  uint8_t* cozTable;                /* whole .COZ, 6-byte records */
  int32_t cozCount;
  char origAdjustmentCode[7];       /* six digits; "000000" = none */
  char destAdjustmentCode[7];
  char laneAdjustmentCodes[99][6];  /* ended by an entry starting NUL */
  char adjustmentSortScratch[6];
  int32_t zf1Count;                 /* rows of the ZIP-pair matrix */
  uint8_t hostBytes06[16];
  int32_t classAdjCount;            /* host: 673-byte adjustment records */
  int32_t zmcCount;                 /* 40-byte .ZMC records */
  int32_t zp6Count;                 /* 12-byte records in zp6Table */
  int32_t sccCount;                 /* 8-byte entries in sccTable */
  int32_t lvlCount;                 /* 18-byte records in lvlTable */
  int32_t accCount;                 /* records in accTable */
  int32_t discCount;                /* .DIS entries in use, 0 to 9 */
  int32_t errorCode;                /* status of the last failure */
  int32_t adjustmentReserved;
  uint8_t accTable[100][124];       /* .ACC records as read */
  uint8_t* lvlTable;                /* whole level file, 18-byte records */
  int32_t tariffIssue;              /* issue number from the settings */
  uint8_t hostBytes07[4];

  /* Shipment classification and rating state */
  int32_t alphaPostalShipment;
  int32_t mexicanLeg;
  int32_t alaskaShipment;
  int32_t openTimeCounters[4];
  int32_t wantTransitDays;          /* host (after OpenAllFiles) */
  int32_t sendEngineFlag;           /* host */
  int32_t engineTablesArgument;
  uint8_t hostBytes08[4];
  int32_t rateBaseReserved;
  float minimumCharge;              /* dollars */
  uint8_t hostBytes09[4];
  float zoneMinimum;
  float zoneCharge;                 /* dollars */
  float discountFloor;              /* dollars, at most 999.99 */
  float discountPercent[10];        /* [0] minimum charge, [1 + b] break b */
  char userBreakDiscountText[6];    /* host */
  char userDiscountText[6];         /* host */
  char userFloorText[7];            /* host */
  int32_t baseRates[175];           /* cents: 4 minimum levels, then cells */
  uint8_t hostBytes10[1448];
  int32_t classMinimumRaw;
  uint8_t hostBytes11[4];
  int32_t zf1DataStart;             /* 9N + 2 */
  int32_t zf1FileSize;
  uint8_t hostBytes12[36];
  int32_t classMinimumCount;        /* host */

  /* Locations and names */
  char profileDir[260];             /* host: ends in a path separator */
  char dataDir[260];                /* host: ends in a path separator */
  char tariffName[9];               /* host: at most 8 characters */
  char territory;
  uint8_t hostBytes13[3];
  char ratingOptionFlag;            /* host */
  uint8_t hostBytes14[111];
  char rbnoDisplay[16];
  char rbnoKindTable[25][16];       /* host */
  uint8_t* efcTable;                /* engine effectivity, 17-byte entries */
  int32_t efcTableState;
  char wgtRecords[9][21];           /* .WGT records as read */
  int32_t useTariffEngine;
  int32_t useServiceGuide;          /* host */
  uint8_t* zp6Table;                /* whole .ZP6, 12-byte records */
  int16_t zf1RowStarts[11200];      /* .ZF1 table 1 */
  uint8_t zf1KeyTable[11200][3];    /* .ZF1 table 3, 24-bit keys */
  uint8_t hostBytes15[20];
  void* engineModule;               /* host: dlopen handle */
  uint8_t hostBytes16[4];
  void* serviceGuideModule;         /* host: dlopen handle */
  uint8_t hostBytes17[4];
  int32_t engineTablesLoaded;
  uint8_t hostBytes18[8];
  int32_t efcCount;
  int32_t efcBureauCount;
  uint8_t hostBytes19[264];
  char engineTariff[9];             /* host */
  char engineTariffDate[10];        /* host */
  uint8_t hostBytes20[10];
  int32_t ignoreEngineStatus;       /* host */
  int32_t engineSilent;             /* host */
  char stateCodeTable[999][8];      /* .SC records by ZIP prefix */
  uint8_t hostBytes21[21];
  int32_t weightRecordCount;        /* weight breaks per class */
  uint8_t hostBytes22[4];
  int32_t discountsSwitchedOff;
  uint8_t hostBytes23[72];
  char billedWeightCopy[7];

  /* Hawaiian leg, Alaska and minimum charges */
  int32_t hawaiiOnly;               /* host */
  int32_t hawaiiOuterIsland;
  int32_t hawaiiShipment;
  char hawaiiGatewayCode[4];
  char hawaiiAreaCode[4];
  char hawaiiRateCode[3];
  char hawaiiTerminal[4];
  char hawaiiGatewayZip[6];
  char hawaiiGatewayState[3];
  uint8_t hostBytes24[1];
  int32_t hawaiiWeight;             /* host */
  int32_t hawaiiTable1Charge;
  int32_t hawaiiOtherCharges;
  int32_t hawaiiTable1[7];
  int32_t hawaiiTable2[7];
  int32_t hawaiiTable3[7];
  int32_t hawaiiTable4[7];
  float hawaiiPercentCharges;
  float hawaiiTable1Percent;        /* host */
  float hawaiiTable1PercentAmount;
  uint8_t hostBytes25[6];
  int16_t rteIndexCount;
  uint8_t hostBytes26[510];
  char alaskaPointFlag;
  int32_t useBasePoints;
  uint8_t hostBytes27[4];
  int32_t mcEntryValue;
  int32_t altClassMinimum;
  uint8_t hostBytes28[7];

  /* Tariff settings and the user's files, as file records */
  uint8_t settings[373];            /* .SET record */
  uint8_t defRecord[349];           /* .DEF record */
  uint8_t discFile[605];            /* .DIS record */
  uint8_t hostBytes29[10];

  /* The shipment and its bill */
  char origZip[7];                  /* host */
  char origState[3];
  char origCity[31];                /* host */
  char origPointCode;
  char origIntrastate;
  char origDirection;
  char destZip[7];                  /* host */
  char destState[3];
  char destCity[31];                /* host */
  char destPointCode;
  char destIntrastate;
  char destDirection;
  char rbno[8];                     /* letter, six digits, NUL */
  uint8_t hostBytes30[8];
  char engineFlag;                  /* host */
  char origTerminal[5];
  char destTerminal[5];
  char origExtraDays[4];
  char destExtraDays[4];
  char transitDays[4];
  char lineClass[8][5];
  int32_t lineClassIndex[8];
  char lineClassMark[8][2];
  char lineWeight[8][7];
  int32_t lineWeightBreak[8];
  char lineRate[8][8];
  char lineCharge[8][10];
  uint8_t hostBytes31[5];
  char deficitWeight[7];
  char deficitRate[8];
  char deficitCharge[10];
  char totalWeight[7];
  char billedWeight[7];
  char grossCharge[15];
  char discountPercentText[6];
  char discountAmount[10];
  uint8_t hostBytes32[15];
  char weightTierCharge[10];
  char discountText[6];
  char minimumDiscountText[10];
  char netCharge[10];
  uint8_t hostBytes33[20];
  char minimumChargeText[10];
  char floorText[7];
  uint8_t hostBytes34[10];
  int32_t weightTierIndex;
  int32_t origMexicanPoint;
  int32_t destMexicanPoint;
  char origPointFlag1;
  char destPointFlag1;
  char origPointFlag2;
  char destPointFlag2;
  char origPointFlag3;
  char destPointFlag3;
  char origRegion;
  char destRegion;
  char discountSource;
  uint8_t hostBytes35[1];
  char floorSource;
  uint8_t hostBytes36[1];

  /* Classes, weight breaks and charge lists */
  char classTable[20][6];
  int32_t classCount;
  char weightLabels[20][11];        /* "XXX" marks a break not in use */
  int32_t weightMax[20];
  int32_t weightMin[20];
  int32_t weightBreakCount;

  int32_t mcKeys[15];               /* MC charge list */
  int32_t mcAmounts[15];
  char mcMarks[15][2];
  char mcLabels[15][15];
  int32_t mcCount;

  int32_t ssKeys[15];               /* SS charge list */
  int32_t ssAmounts[15];
  char ssMarks[15][2];
  char ssLabels[15][15];
  int32_t ssCount;

  int32_t thirdListKeys[15];        /* cleared with the MC list */
  int32_t thirdListAmounts[15];
  char thirdListMarks[15][2];
  char thirdListLabels[15][15];
  int32_t chargeListRows;

  uint8_t fourthChargeList[379];    /* never read or written */

  int32_t fifthListKeys[15];        /* cleared with the MC list */
  int32_t fifthListAmounts[15];
  char fifthListMarks[15][2];
  char fifthListLabels[15][15];
  int32_t chargeListRows2;

  uint8_t hostBytes37[379];
  char engineVersionText1[20];      /* engine version texts, no NUL */
  char engineVersionText2[3];
  char engineVersionText3[11];
  char engineVersionText4[3];
  char engineVersionText5[5];
  char engineVersionText6[33];
  uint8_t* sccTable;                /* .SCC entries, 8 bytes each */
  uint8_t hostBytes38[56];
  uint8_t classMinimumEntry[16];
  uint8_t facDirectory[802];        /* .FAC directory */
  uint8_t fc1Scratch[8];
  uint8_t altFacDirectory[162];     /* host: Mexican factor directory */
  uint8_t bseHeader[1024];          /* .BSE header */
  uint8_t hostBytes39[7124];
  char classAdjRecord[673];
  uint8_t hostBytes40[1279];
  char matrixRbnoRecord[10];
  uint8_t hostBytes41[8];
  uint8_t zmcRecord[40];
  uint8_t* rteIndex;                /* .RTE sparse index, 6-byte keys */
  void* reservedTables[4];          /* only released */

  /* Profile and terminal details */
  uint8_t profileRecord[493165];    /* PROFILE.FIL record */
  uint8_t origTerminalInfo[446];
  uint8_t destTerminalInfo[446];
} RateContext;

#pragma pack(pop)

/* ---- Messages (plain arguments; an empty text selects the code's
   message) ---- */

BRANTFUNC_API void fatal(const char* text, const char* caption, int32_t code);
BRANTFUNC_API int32_t warning(const char* text, const char* caption,
                              int32_t code, void* owner);
/* 0 when the answer was No, 1 for anything else. */
BRANTFUNC_API int32_t question(const char* text, const char* caption,
                               int32_t code, void* owner);
BRANTFUNC_API int32_t information(const char* text, const char* caption,
                                  int32_t code, void* owner);

/* ---- Host hooks ---- */

/* Shows a message box and answers with a button code (BRANT_IDOK, ...). */
typedef int32_t (*BrantMessageBoxHook)(void* userData, void* owner,
                                       const char* text, const char* caption,
                                       uint32_t style);
/* Asked to end the host's message loop with an exit code. */
typedef void (*BrantQuitHook)(void* userData, int32_t exitCode);

BRANTFUNC_API void SetMessageBoxHook(BrantMessageBoxHook hook, void* userData);
BRANTFUNC_API void SetQuitHook(BrantQuitHook hook, void* userData);
/* The last code the default quit hook received; 0 before any. */
BRANTFUNC_API int32_t GetLastQuitCode(void);

/* ---- Text, numbers and paths ---- */

BRANTFUNC_API char* strtrim(char* text);
BRANTFUNC_API char* strltrim(char* text);
/* floor(value * 10^places + 0.51) / 10^places, in double precision. */
BRANTFUNC_API double rndoff(float value, int32_t places);
/* Name and extension of a path, or the whole path when either is missing.
   The result lives in a per-thread buffer until the next call. */
BRANTFUNC_API char* SplitPath(const char* path);
/* Replaces everything from the first dot with the extension (at most 4
   characters). path: a buffer of BRANT_PATH_SIZE (260) bytes; the result
   is at most 259 characters. */
BRANTFUNC_API char* ForceFileNameExtension(char* path, const char* extension);

/* ---- Tariff files ---- */

/* Opens tariffName + extension read-only; the descriptor, or -1. */
BRANTFUNC_API int16_t Openfile(RateContext* context, const char* extension);
BRANTFUNC_API int32_t ReadWgtFile(RateContext* context);
/* Sets *stateTableLoaded to 1 when the .SC table was loaded; never to 0. */
BRANTFUNC_API int32_t OpenAllFiles(RateContext* context,
                                   int32_t* stateTableLoaded);
BRANTFUNC_API int32_t CloseAllFiles(RateContext* context);

/* ---- User files ---- */

BRANTFUNC_API int32_t ReadDefFile(RateContext* context);
BRANTFUNC_API int32_t WriteDefFile(RateContext* context);
BRANTFUNC_API int32_t ReadDiscFile(RateContext* context);
BRANTFUNC_API int32_t WriteAccFile(RateContext* context);
BRANTFUNC_API int32_t OpenLevelFile(RateContext* context, const char* fileName);
BRANTFUNC_API int32_t ReadCOZFile(RateContext* context);
/* buffer: at least 1842 bytes. */
BRANTFUNC_API int32_t ReadPonyOpt(const char* path, char* buffer,
                                  const char* name);

/* ---- Validation ---- */

/* With no state table loaded and engineMode not "N", a numeric code's
   state comes from the tariff engine, which knows no flags: the end is
   marked intrastate "Y", direction "B", point flags "N", region "E", so
   VerTerritory passes the lane and the engine judges it when it rates.
   An end whose MexicanPoint field is set passes with region "W" and its
   state and flags cleared. */
BRANTFUNC_API uint32_t VerOrigZip(RateContext* context);
BRANTFUNC_API uint32_t VerDestZip(RateContext* context);
/* state: 2 characters, no terminator written. */
BRANTFUNC_API uint32_t GetStateCode(RateContext* context,
                                    const char* postalCode, char* state,
                                    char* intrastate, char* direction,
                                    char* pointFlag1, char* pointFlag2,
                                    char* pointFlag3, char* region);
BRANTFUNC_API int32_t GetZipcIndex(RateContext* context, const char* key);
BRANTFUNC_API uint32_t VerTerritory(RateContext* context);
/* classText and weightText: read up to their first NUL, at most 7 bytes. */
BRANTFUNC_API int32_t VerClass(RateContext* context, const char* classText,
                               uint32_t line, uint32_t allowFak);
BRANTFUNC_API int32_t VerWeight(RateContext* context, const char* weightText,
                                uint32_t line);
BRANTFUNC_API uint32_t ValidWeight(RateContext* context, int32_t weightBreak);

/* ---- Rating ---- */

/* 1 rated, 9999 failed; through the engine 0 rated, 9999 not. */
BRANTFUNC_API int32_t RateShipment(RateContext* context,
                                   int32_t engineArgument, int32_t reserved);
BRANTFUNC_API int32_t GetRbnoAndRates(RateContext* context);
BRANTFUNC_API int32_t RateBill(RateContext* context, uint32_t bill);

/* ---- Tariff engine ---- */

BRANTFUNC_API int32_t GetTEAddresses(RateContext* context, int32_t unused);
BRANTFUNC_API int32_t InitializeTEdll(RateContext* context);
BRANTFUNC_API int32_t EndTEdll(RateContext* context);
/* state: 2 characters, no terminator written. */
BRANTFUNC_API int32_t EngineGetStateCode(const char* postalCode, char* state);
BRANTFUNC_API void SetClassesAndWeights(RateContext* context, int32_t mode,
                                        int32_t unused);
BRANTFUNC_API char* ConvertRbno(RateContext* context);

/* ---- Discounts ---- */

BRANTFUNC_API void LoadDiscounts(RateContext* context, int32_t unused1,
                                 int32_t unused2);
BRANTFUNC_API void ClearDiscList(RateContext* context);

/* ---- Profiles ---- */

BRANTFUNC_API int32_t ReadProfileFile(RateContext* context);
BRANTFUNC_API int32_t GetProfileSize(RateContext* context);
/* buffer: at least 31 bytes. */
BRANTFUNC_API int32_t GetProfileKey(RateContext* context, int32_t position,
                                    char* buffer);
BRANTFUNC_API int32_t GetProfileRecord(RateContext* context);
BRANTFUNC_API void LoadProfileSettings(RateContext* context);
BRANTFUNC_API int32_t LoadProfileZP6(RateContext* context);
/* key: 19 bytes. The matching 17-byte entry inside efcTable, or NULL. */
BRANTFUNC_API uint8_t* GetCurrentEfcRec(RateContext* context, const char* key);

/* ---- Service guide ---- */

BRANTFUNC_API int32_t GetSGAddresses(RateContext* context, int32_t unused);
BRANTFUNC_API int32_t InitializeSGdll(RateContext* context);
BRANTFUNC_API int32_t GetService(RateContext* context);
BRANTFUNC_API int32_t GetTerminals(RateContext* context);
BRANTFUNC_API int32_t EndSGdll(RateContext* context);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* BRANTFUNC_BRANTFUNC_H */
