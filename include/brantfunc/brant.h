/*
 * brant.h: the price of a shipment in one call.
 *
 * Which interface to use:
 *
 *  - brant.h (this header) is for new hosts. Open a tariff once, rate any
 *    number of shipments on it from any number of threads, and get the
 *    whole bill back as a struct: every line and charge in whole cents,
 *    the amount due, and each step that made it.
 *  - brantfunc.h, the record interface, is for hosts written against the
 *    RateContext record and its 51 exports, which leave each part of a
 *    bill in the record as text for the host to put together. It stays
 *    whole; this interface is built on it.
 *
 * The contract, in short:
 *
 *  - Names: functions and types begin with brant_, constants with BRANT_.
 *    This header may be included beside brantfunc.h.
 *
 *  - Handles are opaque. brant_tariff is an open tariff, brant_options how
 *    to open one. What a create or open function returns is yours until
 *    you pass it to its destroy or close function; the library never frees
 *    what you own, and reads the strings you pass only during the call.
 *
 *  - Every function that can fail returns a brant_status, BRANT_OK (0) on
 *    success. Pass a brant_error (or NULL) to learn why: it names the
 *    field refused, the value given and what is accepted, in a sentence a
 *    person can act on, with the record interface's status code beside
 *    it. Statuses 10 to 19 concern one shipment only (a batch goes on
 *    with the next); 20 and above concern the tariff, the host or the
 *    machine. Nothing is thrown and no message box is shown: a tariff
 *    engine's warning comes back in the error or in the bill's warnings.
 *
 *  - The plain structs (brant_shipment, brant_bill) begin with their size.
 *    Set it with brant_shipment_init and brant_bill_init (or to sizeof the
 *    struct). A struct of a size this library does not know is refused
 *    with BRANT_E_MISUSE, so that a newer library can tell an older host.
 *
 *  - Units: money in whole cents (int64_t); rates in cents per 100 pounds;
 *    percentages in basis points, hundredths of a percent (1050 is
 *    10.50 %); weights in whole pounds. No amount is a floating-point
 *    number at this interface.
 *
 *  - Threads: a brant_tariff is read-only once open. Any number of threads
 *    may rate on one at the same time; each rating borrows a working record
 *    that the tariff keeps for the next (one per thread rating at once, each
 *    set up once), so a rating neither allocates nor copies a record. A
 *    tariff opened with a tariff engine rates one shipment at a time, and
 *    one with a service guide asks it one lane at a time: those libraries
 *    keep one state per process, so only one open tariff in a process may
 *    use an engine, and one a service guide.
 *
 *  - Nothing is global: two tariffs open at once know nothing of each
 *    other, and a shipment rated on a tariff sees nothing of the one
 *    before it.
 *
 *  - Bad arguments never crash the library. A NULL where a pointer is
 *    required, a brant_tariff or brant_options that is not open (closed,
 *    destroyed, or never made by this library), a count or amount out of
 *    its range: each is refused with a status, and with a message where
 *    the function takes a brant_error. A text is read up to its first NUL
 *    and never past its room (the room is given with each function), so a
 *    text without its terminator is refused, not followed. The functions
 *    that return nothing ignore a NULL and a handle that is not open.
 *    (A closed handle whose address a later open happens to be given again
 *    names that later tariff.) The structs you pass must be whole: the
 *    library reads their size first and trusts sizeof bytes behind it.
 *
 * Example (error handling shortened):
 *
 *   brant_tariff* tariff;
 *   brant_error error;
 *   if (brant_tariff_open("/srv/tariffs", "TARF", NULL, &tariff, &error) != BRANT_OK)
 *     return fprintf(stderr, "%s\n", error.message), 1;
 *   brant_shipment s;
 *   brant_shipment_init(&s);
 *   s.origin = "60601";
 *   s.destination = "M5V 3L9";
 *   s.line_count = 1;
 *   s.lines[0].freight_class = "100";
 *   s.lines[0].weight = 1200;
 *   brant_bill bill;
 *   brant_bill_init(&bill);
 *   if (brant_rate(tariff, &s, &bill, &error) == BRANT_OK)
 *     printf("due %lld cents\n", (long long)bill.amount_due_cents);
 *   brant_tariff_close(tariff);
 */
#ifndef BRANTFUNC_BRANT_H
#define BRANTFUNC_BRANT_H

#include <stddef.h>
#include <stdint.h>

#ifndef BRANTFUNC_API
#if defined(__GNUC__)
#define BRANTFUNC_API __attribute__((visibility("default")))
#else
#define BRANTFUNC_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Statuses and errors ------------------------------------------------ */

typedef enum brant_status {
  BRANT_OK = 0,
  /* One shipment; the next may rate. */
  BRANT_E_MALFORMED = 10,  /* a value is not in a form its field accepts */
  BRANT_E_NOT_SERVED = 11, /* well formed, but the tariff does not serve it */
  BRANT_E_NOT_RATED = 12,  /* the tariff engine would not rate the shipment */
  BRANT_E_TOO_LARGE = 13,  /* an amount of the bill is too large to rate */
  /* The tariff, the host or the machine. */
  BRANT_E_MISUSE = 20,    /* a NULL argument, a struct size unknown here, a bad option */
  BRANT_E_TARIFF = 21,    /* a file of the tariff is missing or unreadable */
  BRANT_E_LIBRARY = 22,   /* a tariff engine or service guide library failed */
  BRANT_E_NO_MEMORY = 23, /* memory could not be had */
  BRANT_E_INTERNAL = 24   /* a failure the library cannot explain: a fault */
} brant_status;

/* True for the statuses that concern one shipment only. */
#define BRANT_SHIPMENT_ERROR(status) ((status) >= 10 && (status) < 20)

/* The field an error names. */
typedef enum brant_field {
  BRANT_FIELD_NONE = 0,
  BRANT_FIELD_ORIGIN = 1,
  BRANT_FIELD_DESTINATION = 2,
  BRANT_FIELD_LANE = 3,           /* the pair of ends */
  BRANT_FIELD_LINES = 4,          /* the number of lines */
  BRANT_FIELD_CLASS = 5,          /* of the line brant_error.line */
  BRANT_FIELD_WEIGHT = 6,         /* of the line brant_error.line */
  BRANT_FIELD_TOTAL_WEIGHT = 7,
  BRANT_FIELD_DISCOUNT = 8,
  BRANT_FIELD_BREAK_DISCOUNT = 9,
  BRANT_FIELD_FLOOR = 10,
  BRANT_FIELD_TARIFF = 11,
  BRANT_FIELD_ENGINE = 12,
  BRANT_FIELD_SERVICE_GUIDE = 13,
  BRANT_FIELD_BILL = 14,          /* an amount of the bill */
  BRANT_FIELD_ARGUMENT = 15,      /* an argument of the call itself */
  BRANT_FIELD_SHIP_DATE = 16,
  BRANT_FIELD_ACCESSORIAL = 17,   /* the code brant_error.line (from 1) lists */
  BRANT_FIELD_DIMENSIONS = 18     /* of the line brant_error.line */
} brant_field;

typedef struct brant_error {
  brant_status status;
  brant_field field;
  int32_t line;          /* 1 to 8 for a line's class, weight or dimensions, the
                            accessorial's place in the list, else 0 */
  int32_t record_status; /* the record interface's status (101 ...), 0 if none */
  char value[48];        /* the value refused, as given, cut to fit */
  /* One sentence: "destination 10001-1234: ZIP+4 is not accepted; give
     the five-digit ZIP". */
  char message[256];
} brant_error;

/* "ok", "malformed", "not served", ...: a static text; "unknown status"
   for a value that is not a status. */
BRANTFUNC_API const char* brant_status_name(brant_status status);

/* The library's version, "MAJOR.MINOR.PATCH": a static text. A host linked
   against the shared library learns which one it runs with. */
BRANTFUNC_API const char* brant_version(void);

/* ---- Opening a tariff ---------------------------------------------------- */

typedef struct brant_tariff brant_tariff;
typedef struct brant_options brant_options;

/* Options for brant_tariff_open; NULL when memory could not be had.
   brant_options_destroy ignores NULL and options already destroyed. */
BRANTFUNC_API brant_options* brant_options_create(void);
BRANTFUNC_API void brant_options_destroy(brant_options* options);

/* The two setters return BRANT_OK, BRANT_E_NO_MEMORY, or BRANT_E_MISUSE
   (they take no brant_error) for options that are NULL or not open, a
   library that is NULL or "", a path longer than 4095 characters (read
   no further), or an engine_tariff longer than 8 (read no further). A
   refused call leaves the options as they were. */

/* Rate through a tariff engine library (a .so file) instead of the
   tariff's own rate files; the tariff still checks the postal codes, the
   engine's classes check the lines. data_dir: the engine's data (NULL or
   "" for the tariff's directory); engine_tariff: the engine's tariff
   (NULL or "" for its first effective one, at most 8 characters). */
BRANTFUNC_API brant_status brant_options_set_engine(brant_options* options, const char* library,
                                                    const char* data_dir,
                                                    const char* engine_tariff);

/* Ask a service guide library (a .so file) for the terminals of each
   shipment that wants transit days. data_dir: the guide's data (NULL or
   "" for the tariff's directory). */
BRANTFUNC_API brant_status brant_options_set_service_guide(brant_options* options,
                                                           const char* library,
                                                           const char* data_dir);

/* The tariff's files are read once, when it opens, and every rating reads
   them from there: a rating opens no file. Files are held in memory while
   their sizes together stay within `bytes` (by default
   BRANT_DEFAULT_FILE_BUDGET); the rest are kept open and read at offsets,
   the descriptors shared by every thread. 0 keeps every file open.
   Changes to the files after the tariff opened are not seen: open it
   again. BRANT_E_MISUSE for a negative budget. */
#define BRANT_DEFAULT_FILE_BUDGET ((int64_t)256 * 1024 * 1024)
BRANTFUNC_API brant_status brant_options_set_file_budget(brant_options* options, int64_t bytes);

/* Opens the tariff NAME (1 to 8 characters) in DIRECTORY: its files are
   NAME.SET, NAME.CLS and so on. The user defaults file NAME.DEF beside
   them is read when there is one: its weight tier, rate factor and scale,
   weight break cut and Hawaiian percentages apply; its discounts give way
   to the shipment's, and its minimum add-on, which needs a host's rating
   option, does not apply. options may be NULL. On success *tariff is the
   handle; on failure it is NULL and error says why. Refused with
   BRANT_E_MISUSE: a NULL tariff, directory or name; options that are not
   open; a name of 0 or more than 8 characters or with a "/" (read no
   further than 9 bytes); a directory of more than 258 characters (read no
   further than 260 bytes). The charges past the line haul come from the
   files NAME.FUI (fuel index), NAME.FUT (fuel table), NAME.ACL
   (accessorial catalogue) and NAME.FAK (class map) when the tariff has
   them: without them no fuel surcharge is billed, no accessorial is
   known, and each class rates as given. One that is there but does not
   read whole and sound is refused with BRANT_E_TARIFF. error may be
   NULL. */
BRANTFUNC_API brant_status brant_tariff_open(const char* directory, const char* name,
                                             const brant_options* options,
                                             brant_tariff** tariff, brant_error* error);

/* Closes a tariff no thread is rating on any more; NULL, and a tariff
   already closed or never opened, are ignored. */
BRANTFUNC_API void brant_tariff_close(brant_tariff* tariff);

/* ---- A shipment ----------------------------------------------------------- */

enum { BRANT_MAX_LINES = 8, BRANT_MAX_ACCESSORIALS = 8 };

/* A line gives its class, or its handling units' dimensions for a class
   from the density: pounds per cubic foot of the line, weight x 1728 /
   (units x length x width x height), looked up in the density scale in
   effect on the ship date (docs/billing.md). */
typedef struct brant_line {
  const char* freight_class; /* as the tariff lists it: "100", "77.5"; NULL or ""
                                with dimensions */
  int32_t weight;            /* pounds of the whole line, 1 to 999999 */
  int32_t units;             /* handling units of these dimensions: 0 (one) to 999 */
  int32_t length_in;         /* whole inches, 1 to 999 each, or all 0 with a class */
  int32_t width_in;
  int32_t height_in;
} brant_line;

/* Texts (origin, destination, freight_class) are read up to their first
   NUL, no further than 64 bytes; NULL, or a text that long, is refused
   with BRANT_E_MALFORMED.
   Postal codes, as people type them (blanks around them are ignored):
     - a US ZIP code: five digits, "60601" (not ZIP+4);
     - a Canadian postal code, A9A 9A9 in either case, with or without its
       space: "M5V 3L9", "m5v3l9";
     - a Mexican point: its five-digit postal code followed by M, "64000M"
       (or "64000 M", either case). */
typedef struct brant_shipment {
  uint32_t size; /* sizeof(brant_shipment): brant_shipment_init sets it */
  const char* origin;
  const char* destination;
  int32_t line_count; /* 1 to 8 */
  brant_line lines[BRANT_MAX_LINES];
  /* Discounts. All zero: none. */
  int32_t discount_bps;       /* off the tariff minimum, 0 to 9999 */
  int32_t break_discount_bps; /* off the charges of every weight break, 0 to 9999 */
  int64_t floor_cents;        /* the least line haul, 0 to 99999 */
  int32_t discount_on_rates;  /* 0: from the charges as the bill is priced;
                                 1: from the rates before it */
  int32_t want_transit_days;  /* 1: terminals and transit days (needs a service guide) */
  int32_t explain;            /* 1: fill the bill's notes: how the rate was found */
  /* The charges past the line haul. */
  int32_t ship_date;          /* YYYYMMDD, a real date; 0: none given, so no fuel
                                 surcharge and the latest density scale */
  int32_t accessorial_count;  /* 0 to BRANT_MAX_ACCESSORIALS */
  const char* accessorials[BRANT_MAX_ACCESSORIALS]; /* codes of the tariff's catalogue,
                                 either case, each once: "LIFTGATE" */
} brant_shipment;

/* Sets the size and clears everything else; NULL is ignored. */
BRANTFUNC_API void brant_shipment_init(brant_shipment* shipment);

/* ---- A bill ------------------------------------------------------------- */

/* How the rate basis was found. A Hawaiian shipment's mainland leg is
   found on the matrix or on base points from its gateway. */
typedef enum brant_method {
  BRANT_METHOD_NONE = 0,
  BRANT_METHOD_MATRIX = 1,      /* the ZIP-pair matrix */
  BRANT_METHOD_BASE_POINTS = 2, /* base points */
  BRANT_METHOD_ENGINE = 3,      /* the tariff engine */
  BRANT_METHOD_ALASKAN_LEG = 4, /* the Alaskan points and lanes */
  BRANT_METHOD_MEXICAN_LEG = 5  /* the Mexican points and lanes */
} brant_method;

/* "ZIP-pair matrix", "base points", "tariff engine", "Alaskan leg",
   "Mexican leg", or "none". */
BRANTFUNC_API const char* brant_method_name(brant_method method);

typedef struct brant_bill_line {
  char freight_class[8];
  int32_t weight;     /* pounds */
  int64_t rate_cents; /* per 100 pounds, at the break billed */
  int64_t charge_cents;
  int32_t substituted; /* 1: the profile's substitute class was rated */
  int64_t density_hundredths; /* pounds per cubic foot x 100 (cut, not rounded) when
                                 the class came from the density; else 0 */
  char class_before_map[8];   /* the class given or found, when the tariff's class
                                 map (freight all kinds) rated another; else "" */
} brant_bill_line;

/* The steps from the line haul to the amount due (see docs/billing.md). */
typedef enum brant_step_kind {
  BRANT_STEP_LINE_HAUL = 1,      /* the net charge: lines and deficit less the discount */
  BRANT_STEP_MINIMUM_CHARGE = 2, /* raised to the tariff minimum less its discount */
  BRANT_STEP_FLOOR = 3,          /* raised to the floor */
  BRANT_STEP_WEIGHT_TIER = 4,
  BRANT_STEP_ZONE_CHARGE = 5,
  BRANT_STEP_HAWAII_TABLE1 = 6,          /* within Hawaii */
  BRANT_STEP_HAWAII_TABLE1_PERCENT = 7,  /* its percentage amount */
  BRANT_STEP_HAWAII_OTHER = 8,           /* Hawaiian tables 2 to 4 */
  BRANT_STEP_HAWAII_OTHER_PERCENT = 9,   /* the percentage amounts of tables 2 and 3 */
  BRANT_STEP_FUEL_SURCHARGE = 10,
  BRANT_STEP_ACCESSORIAL = 11            /* one per code; its name is the catalogue's */
} brant_step_kind;

typedef struct brant_step {
  int32_t kind;         /* brant_step_kind */
  char name[40];        /* "line haul", "minimum charge", "floor", ... */
  int64_t amount_cents; /* what the step added (the line haul: itself) */
  int64_t total_cents;  /* the amount due after the step */
} brant_step;

/* A status a successful rating left, or a note of this interface
   (record_status 0): the rating stands, but a person should know. */
typedef struct brant_warning {
  int32_t record_status;
  char message[160];
} brant_warning;

/* How the rate was found, when the shipment asked to explain. */
typedef enum brant_note_kind {
  BRANT_NOTE_METHOD = 1,     /* the method and the keys looked up */
  BRANT_NOTE_LEG = 2,        /* a Hawaiian, Alaskan or Mexican leg */
  BRANT_NOTE_RATE_BASIS = 3, /* the rate basis number */
  BRANT_NOTE_ADJUSTMENT = 4, /* a change to the rates or the minimum */
  BRANT_NOTE_BREAK = 5,      /* the weight break of the total weight */
  BRANT_NOTE_DEFICIT = 6,    /* one heavier break weighed, won or lost */
  BRANT_NOTE_DISCOUNT = 7,   /* the discount and the floor */
  BRANT_NOTE_DENSITY = 8,    /* a line's density and the class it gave */
  BRANT_NOTE_CLASS_MAP = 9,  /* a class the tariff rates as another */
  BRANT_NOTE_FUEL = 10,      /* the index price, its date and the percentage */
  BRANT_NOTE_ACCESSORIAL = 11
} brant_note_kind;

/* The names the tools give a field and a note's kind ("origin",
   "total_weight"; "method", "rate_basis"): "none" and "other" for a value
   this library does not know. */
BRANTFUNC_API const char* brant_field_name(brant_field field);
BRANTFUNC_API const char* brant_note_kind_name(int32_t kind);

typedef struct brant_note {
  int32_t kind; /* brant_note_kind */
  char text[120];
} brant_note;

enum { BRANT_MAX_STEPS = 20, BRANT_MAX_WARNINGS = 4, BRANT_MAX_NOTES = 48 };

/* How an accessorial of the catalogue is charged. */
typedef enum brant_charge_kind {
  BRANT_CHARGE_FLAT = 1,    /* an amount per shipment */
  BRANT_CHARGE_PER_CWT = 2, /* an amount per 100 pounds of the total weight */
  BRANT_CHARGE_PERCENT = 3  /* a percentage of the freight charge (docs/billing.md) */
} brant_charge_kind;

typedef struct brant_accessorial_charge {
  char code[16];
  char name[40];
  int32_t kind; /* brant_charge_kind */
  int64_t amount_cents;
} brant_accessorial_charge;

typedef struct brant_bill {
  uint32_t size; /* sizeof(brant_bill): brant_bill_init sets it */

  /* The shipment as rated. */
  char origin[8];            /* as the tariff reads it: "60601", "M5V3L9", "64000M" */
  char origin_state[4];      /* "IL", "ON", "MX" */
  char destination[8];
  char destination_state[4];
  char rate_basis[8];        /* a letter (or a space) and six digits */
  int32_t method;            /* brant_method */
  int32_t line_count;
  brant_bill_line lines[BRANT_MAX_LINES];

  /* The weight break. */
  int32_t total_weight;
  int32_t billed_weight;          /* the total, or the lowest weight of the break billed */
  int32_t start_break;            /* the break of the total weight, from 0 */
  int32_t weight_break;           /* the break billed, from 0 */
  char weight_break_label[12];    /* "M1M" */
  int32_t deficit_won;            /* 1: a heavier break was cheaper and is billed */
  int32_t deficit_weight;         /* pounds added to reach it */
  int64_t deficit_rate_cents;     /* per 100 pounds */
  int64_t deficit_charge_cents;

  /* The charges. */
  int64_t gross_cents;            /* the lines and the deficit */
  int32_t discount_bps;           /* of the break billed */
  int64_t discount_cents;
  int64_t net_cents;              /* gross less discount: the line haul */
  int64_t minimum_charge_cents;   /* the tariff minimum */
  int64_t minimum_discount_cents; /* its discount */
  int64_t floor_cents;            /* 0: none */
  int64_t weight_tier_cents;
  int64_t zone_charge_cents;
  int64_t hawaii_table1_cents;
  int64_t hawaii_table1_percent_cents;
  int64_t hawaii_other_cents;
  int64_t hawaii_other_percent_cents;

  /* The fuel surcharge: all 0 without a ship date or a fuel table. */
  int32_t ship_date;              /* YYYYMMDD, as given */
  int32_t fuel_index_date;        /* the date of the index price in effect */
  int32_t fuel_price_mills;       /* dollars a gallon x 1000: 3759 is 3.759 */
  int32_t fuel_percent_bps;       /* the table's percentage, in hundredths */
  int64_t fuel_base_cents;        /* the charge the percentage is of */
  int64_t fuel_surcharge_cents;   /* after its discount, when the table gives one */

  /* Accessorial charges, in the order the shipment listed them. */
  int32_t accessorial_count;
  brant_accessorial_charge accessorials[BRANT_MAX_ACCESSORIALS];

  /* Service. */
  int32_t transit_days;       /* -1: not asked for, or not known */
  char origin_terminal[5];
  char destination_terminal[5];

  /* What is owed, and how. */
  int64_t amount_due_cents;
  int32_t step_count;
  brant_step steps[BRANT_MAX_STEPS];
  int32_t warning_count;
  brant_warning warnings[BRANT_MAX_WARNINGS];
  int32_t note_count;
  brant_note notes[BRANT_MAX_NOTES];
} brant_bill;

/* Sets the size and clears everything else; NULL is ignored. */
BRANTFUNC_API void brant_bill_init(brant_bill* bill);

/* ---- Rating ------------------------------------------------------------- */

/* Rates one shipment and fills the bill. On success the bill is whole; on
   failure it is cleared (but for its size; a bill of another size is left
   alone) and error says why. The tariff
   may be shared by any number of threads; the shipment, bill and error
   belong to the calling thread. Refused with BRANT_E_MISUSE: a NULL
   tariff, shipment or bill, a tariff that is not open, a shipment or bill
   of another size; with BRANT_E_MALFORMED: a field out of the range its
   comment gives (line_count, weights, dimensions, discounts, floor, ship
   date, accessorial_count) or a text as above, a line with both a class
   and dimensions or neither, an accessorial listed twice; with
   BRANT_E_NOT_SERVED, besides the lanes, classes and weights the tariff
   refuses: a ship date outside the tariff's fuel index (the message gives
   the dates it covers), an index price in no band of its fuel table, an
   accessorial code not in its catalogue (the message lists the codes).
   error may be NULL. */
BRANTFUNC_API brant_status brant_rate(const brant_tariff* tariff,
                                      const brant_shipment* shipment, brant_bill* bill,
                                      brant_error* error);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* BRANTFUNC_BRANT_H */
