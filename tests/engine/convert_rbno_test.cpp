// The display form of a rate basis number as the host sees it: the rewritten
// rbno, the kind text returned, and the L code written into kind 22's text.
#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// The letter and six digits (and an eighth byte where the host left no
// terminator); rbno afterwards, NUL-filled to its 8 bytes; the kind (-1: none,
// the display stays blank); the mode: 0 issue 31, 1 issue 32, 2 alphanumeric
// postal shipment; the L code expected in kind 22's text.
struct Case { const char* rbno; std::string shown; int kind, mode = 0; std::string code = ""; };

const Case kCases[] = {
    {"A009997", "A  999", 0},    {"A010007", "A    0", 1},    {"B123457", "B12345", 2},
    {"C035097", "C 3509", 4},    {"C035107", "C 3510", 5},    {"C036167", "C 3616", 5},
    {"C036177", "C 3617", 6},    {"C037977", "C 3797", 6},    {"C039777", "C 3977", 7},
    {"C039787", "C039787", -1},  {"C037987", "C 3798", 7, 1}, {"C049997", "C 4999", 7, 1},
    {"C050007", "C 5000", 6, 1}, {"D100057", "    E  ", 8},   {"D299997", " 199\xA3  ", 8},
    {"D300007", "       ", 9},   {"D312059X", "  12E  ", 9},  {"D312057", "  12E  ", 9},
    {"D599997", " 299\xA3  ", 9}, {"D600007", "       ", 12}, {"D612037", "  12C  ", 12},
    {"E043217", "E 4321", 13},   {"F003057", " 003E  ", 14},  {"F499267", " 499Z  ", 14},
    {"F499997", " 499\xA3  ", 14}, {"F500007", " 200   ", 24}, {"F512057", " 212E  ", 24},
    {"G001027", " AB    ", 15},  {"H000017", "H    1", 16},   {"I123457", "I123457", -1},
    {"J543217", "J54321", 17},   {"K499997", "K49999", 18},   {"K500007", "K    0", 20},
    {"K599997", "K 9999", 20},   {"K600007", "K    0", 21},   {"K699997", "K 9999", 21},
    {"K700007", "K    0", 22},   {"Z123457", "Z123457", -1},
    {"D312057", "D31205", 3, 2}, {"I123457", "I12345", 3, 2}, {"L065007", "L 6500", 3, 2},
    // Each L range at its first and last number; the numbers between have no code.
    {"L040007", "L-1000", 22, 0, "5B"},  {"L059997", "L  999", 22, 0, "5B"},
    {"L060007", "L    0", 22, 0, "6A"},  {"L069997", "L  999", 22, 0, "6A"},
    {"L070007", "L    0", 22, 0, "7A"},  {"L079997", "L  999", 22, 0, "7A"},
    {"L090007", "L    0", 22, 0, "9B"},  {"L099997", "L  999", 22, 0, "9B"},
    {"L100007", "L    0", 22, 0, "10B"}, {"L109997", "L  999", 22, 0, "10B"},
    {"L120007", "L    0", 22, 0, "12A"}, {"L129997", "L  999", 22, 0, "12A"},
    {"L140007", "L    0", 22, 0, "14B"}, {"L149997", "L  999", 22, 0, "14B"},
    {"L080007", "L 8000", 22}, {"L089997", "L 8999", 22}, {"L110007", "L11000", 22},
    {"L119997", "L11999", 22}, {"L130007", "L13000", 22}, {"L139997", "L13999", 22},
    {"L150007", "L15000", 22},
};

// Every kind text fills its whole entry ("122" and dashes for kind 22), so each
// display also shows the cut to 15 characters and a terminator.
TEST(ConvertRbno, EveryLetterAndRangeGivesItsKindAndDisplayForm) {
  for (const Case& c : kCases) {
    auto context = std::make_unique<RateContext>();
    for (int t = 0; t < 25; ++t)
      std::memcpy(context->rbnoKindTable[t], std::to_string(100 + t).append(13, '-').data(), 16);
    std::memcpy(context->rbno, c.rbno, std::strlen(c.rbno));
    context->alphaPostalShipment = c.mode == 2, context->tariffIssue = c.mode == 1 ? 32 : 31;
    std::string kind22 = "122---" + c.code + std::string(10 - c.code.size(), '-');
    std::string display(15, ' ');
    if (c.kind >= 0) display.assign(context->rbnoKindTable[c.kind], 15);
    if (c.kind == 22) display = kind22.substr(0, 15);
    EXPECT_EQ(std::string(ConvertRbno(context.get()), 16), display + '\0') << c.rbno;
    EXPECT_EQ(std::string(context->rbno, 8), c.shown + std::string(8 - c.shown.size(), '\0'));
    EXPECT_EQ(std::string(context->rbnoKindTable[22], 16), kind22) << c.rbno;
  }
}

}  // namespace
