#include "core/language_styles.h"

#include <array>

namespace qrv {

namespace {

// clang-format off
constexpr std::array<LanguageStyle, 6> kStyles{{
    // tab  row status button  line start  phase step cancel  repair tweak startup logUndo
    {  10,  12,   10,   11,     12,   14,    11,   12,   11,     10,   10,     9,     10},  // any other number
    {  10,  12,   10,   11,     12,   14,    11,   14,   11,     11,   10,     9,     10},  // 1 English
    {  10,  10,    8,   11,     12,   12,    11,   12,   11,     10,    9,     8,      8},  // 2 French
    {   9,  11,    8,   10,     11,   14,    11,   12,   10,     10,   10,     9,      9},  // 3 German
    {  10,  10,   10,   10,     12,   12,    10,   12,   10,     10,   10,     8,     10},  // 4 Spanish
    {   8,  12,    8,   11,     12,   11,    11,   12,   11,     10,   10,     8,      9},  // 5 Italian
}};
// clang-format on

}  // namespace

const LanguageStyle& StyleOf(unsigned languageNumber) {
  return kStyles[languageNumber >= 1 && languageNumber <= 5 ? languageNumber : 0];
}

}  // namespace qrv
