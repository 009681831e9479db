// Icons: the application's cookie and the cookie tree's item pictures and overlay marks.
// Overlay marks are transparent except for the mark, so the item picture shows through.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {
namespace {

const std::map<char, uint32_t>& Palette() {
  static const std::map<char, uint32_t> palette = {
      {'k', 0xFF000000u}, {'r', 0xFFE01010u}, {'R', 0xFF900000u}, {'y', 0xFFFFE040u},
      {'Y', 0xFFB08000u}, {'G', 0xFF20A020u}, {'D', 0xFF006000u}, {'w', 0xFFFFFFFFu},
      {'o', 0xFFD8A050u}, {'O', 0xFF8A5020u}, {'h', 0xFFEEC078u}, {'c', 0xFF4A2410u}};
  return palette;
}

afx::IconResource Icon(int id, int size, std::vector<std::string> rows) {
  return {id, {size, size, Palette(), std::move(rows)}};
}

}  // namespace

std::vector<afx::IconResource> Icons() {
  return {
      // A cookie with a bite out of it.
      Icon(IDR_MAINFRAME, 32,
           {
               "................................", "................................",
               "................................", "............OOOOOOOO............",
               "..........OOOOOOOOOOOO..........", "........OOOhhhhhhoooOO..........",
               ".......OOhhhhhhhooooOO..........", "......OOhhhhhooooooooO..........",
               ".....OOhhhhooooooccooOO.........", "....OOhhhooooooooccoooOO........",
               "....OhhhoccooooooooooooOO.......", "...OOhhhoccooooooooooccoOOOOO...",
               "...OhhhooooooooooooooccoooOOO...", "..OOhhhoooooooooooooooooooooOO..",
               "..OOhhooooooooooooooooooooooOO..", "..OOhhooooooooooooooooooooooOO..",
               "..OOhhooooooooooooooccooooooOO..", "..OOhoooooooooooooooccooooooOO..",
               "..OOooooooooccooooooooooooooOO..", "..OOooooooooccooooooooooooooOO..",
               "..OOooooooooooooooooooooooooOO..", "...OooooooooooooooooooooooooO...",
               "...OOooccooooooooooooooooooOO...", "....OooccooooooooooooooccooO....",
               "....OOoooooooooooooooooccoOO....", ".....OOoooooooooccoooooooOO.....",
               "......OOooooooooccooooooOO......", ".......OOooooooooooooooOO.......",
               "........OOOooooooooooOOO........", "..........OOOOOOOOOOOO..........",
               "............OOOOOOOO............", "................................",
           }),
      // Overlay: a record that did not load completely.
      Icon(IDI_MARK_LOADING, 16,
           {
               "RR............RR",
               "RrR..........RrR",
               ".RrR........RrR.",
               "..RrR......RrR..",
               "...RrR....RrR...",
               "....RrR..RrR....",
               ".....RrRRrR.....",
               "......RrrR......",
               "......RrrR......",
               ".....RrRRrR.....",
               "....RrR..RrR....",
               "...RrR....RrR...",
               "..RrR......RrR..",
               ".RrR........RrR.",
               "RrR..........RrR",
               "RR............RR",
           }),
      // A cache entry: a yellow box marked CK.
      Icon(IDI_SITE, 16,
           {
               "................",
               ".YYYYYYYYYYYYYY.",
               ".YyyyyyyyyyyyyY.",
               ".YyyyyyyyyyyyyY.",
               ".YyykkkyykyykyY.",
               ".YykyyyyykyykyY.",
               ".YykyyyyykykyyY.",
               ".YykyyyyykkyyyY.",
               ".YykyyyyykykyyY.",
               ".YykyyyyykyykyY.",
               ".YyykkkyykyykyY.",
               ".YyyyyyyyyyyyyY.",
               ".YyyyyyyyyyyyyY.",
               ".YyyyyyyyyyyyyY.",
               ".YYYYYYYYYYYYYY.",
               "................",
           }),
      // A cookie variable: a green box marked Va.
      Icon(IDI_VARIABLE, 16,
           {
               "................",
               ".DDDDDDDDDDDDDD.",
               ".DGGGGGGGGGGGGD.",
               ".DGGGGGGGGGGGGD.",
               ".DGwGGGwGGGGGGD.",
               ".DGwGGGwGGGGGGD.",
               ".DGwGGGwGwwGGGD.",
               ".DGGwGwGGGGwGGD.",
               ".DGGwGwGGwwwGGD.",
               ".DGGwGwGwGGwGGD.",
               ".DGGGwGGGwwwGGD.",
               ".DGGGGGGGGGGGGD.",
               ".DGGGGGGGGGGGGD.",
               ".DGGGGGGGGGGGGD.",
               ".DDDDDDDDDDDDDD.",
               "................",
           }),
      // Overlay: a modified record.
      Icon(IDI_MARK_MODIFIED, 16,
           {
               "RRRRRRRRRRRRRRRR",
               "rrrrrrrrrrrrrrrr",
               "RRRRRRRRRRRRRRRR",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
               "................",
           }),
  };
}

}  // namespace res::detail
