// The main frame's tool bar: buttons in order with separators, and a picture for each button.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {
namespace {

afx::Pixmap Picture(std::vector<std::string> rows) {
  static const std::map<char, uint32_t> palette = {
      {'k', 0xFF000000u}, {'g', 0xFF808080u}, {'l', 0xFFC0C0C0u}, {'w', 0xFFFFFFFFu},
      {'G', 0xFF20A020u}, {'D', 0xFF006000u}, {'r', 0xFFE02020u}, {'R', 0xFF800000u},
      {'b', 0xFF3070E0u}, {'B', 0xFF002080u}, {'y', 0xFFFFD800u}, {'Y', 0xFFB08000u},
      {'O', 0xFF804010u}, {'c', 0xFFA0D0FFu}};
  return {16, 15, palette, std::move(rows)};
}

}  // namespace

std::vector<afx::ToolBarResource> ToolBars() {
  afx::ToolBarResource bar;
  bar.id = IDR_MAINFRAME;
  bar.buttonWidth = 16;
  bar.buttonHeight = 15;
  // clang-format off
  bar.buttons = {ID_FILE_NEW, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_SEPARATOR,
                 ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE, ID_COPY_ADD_CACHE,
                 ID_SEPARATOR,
                 ID_SEARCH, ID_SEARCH_NEXT, ID_SEPARATOR,
                 ID_EXPAND_TOGGLE, ID_SORT, ID_SEPARATOR,
                 ID_APP_ABOUT};
  // clang-format on
  bar.images = {
      // reload: two arrows round a circle
      Picture({
          "................",
          ".....DDDDDD.....",
          "...DDGGGGGGDD.D.",
          "..DGGDDDDDDGGDD.",
          "..DGD......DGGD.",
          ".DGD......DGGGD.",
          ".DGD.....DDDDDD.",
          ".DGD............",
          "............DGD.",
          ".DDDDDD.....DGD.",
          ".DGGGD......DGD.",
          ".DGGD......DGD..",
          ".DDGGDDDDDDGGD..",
          ".D.DDGGGGGGDD...",
          ".....DDDDDD.....",
      }),
      // save all: a disk
      Picture({
          "................",
          ".BBBBBBBBBBBBBB.",
          ".BbBwwwwwwwwBbB.",
          ".BbBwwwwwwwwBbB.",
          ".BbBwggggggwBbB.",
          ".BbBwwwwwwwwBbB.",
          ".BbBwggggggwBbB.",
          ".BbbBBBBBBBBbbB.",
          ".BbbbbbbbbbbbbB.",
          ".BbbllllllllbbB.",
          ".BbblBBllllllbB.",
          ".BbblBBllllllbB.",
          ".BbblBBllllllbB.",
          "..BBBBBBBBBBBBB.",
          "................",
      }),
      // text export: a text file and an arrow out
      Picture({
          "..kkkkkkk.......",
          "..kwwwwwkk......",
          "..kwgggwkwk.....",
          "..kwwwwwkkkk....",
          "..kwggggggwk....",
          "..kwwwwwwwwk....",
          "..kwggggggwk....",
          "..kwwwwwwwwk.G..",
          "..kwggggggwk.GG.",
          "..kwwwwwwGGGGGGG",
          "..kwggggwGGGGGGG",
          "..kwwwwwwwwk.GG.",
          "..kwggggggwk.G..",
          "..kwwwwwwwwk....",
          "..kkkkkkkkkk....",
      }),
      // abort/reload: an arrow turning back over a file
      Picture({
          "................",
          "...B............",
          "..BbB...........",
          ".BbbBBBBBB......",
          "BbbbbbbbbbB.....",
          ".BbbBBBBBbbB....",
          "..BbBkkkkBbbBkk.",
          "...BkwwwwkBbBwk.",
          "....kwgggkBbBwk.",
          "....kwwwwBbbBwk.",
          "....kwggBbbBggk.",
          "....kwwBbbBwwwk.",
          "....kwwwBBwwwwk.",
          "....kwgggggggwk.",
          "....kkkkkkkkkkk.",
      }),
      // commit: a check mark
      Picture({
          "................",
          "...............D",
          "..............DG",
          ".............DGD",
          "............DGD.",
          "...........DGD..",
          "..D.......DGD...",
          ".DGD.....DGD....",
          "DGGGD...DGD.....",
          ".DGGGD.DGGD.....",
          "..DGGGDGGD......",
          "...DGGGGD.......",
          "....DGGD........",
          ".....DD.........",
          "................",
      }),
      // delete: a cross
      Picture({
          "................",
          ".RR.........RR..",
          ".RrR.......RrR..",
          "..RrR.....RrR...",
          "...RrR...RrR....",
          "....RrR.RrR.....",
          ".....RrRrR......",
          "......RrR.......",
          ".....RrRrR......",
          "....RrR.RrR.....",
          "...RrR...RrR....",
          "..RrR.....RrR...",
          ".RrR.......RrR..",
          ".RR.........RR..",
          "................",
      }),
      // copy-add variable: the variable box and a plus
      Picture({
          "DDDDDDDDDDDDD...",
          "DGGGGGGGGGGGD...",
          "DGwGGGwGGGGGD...",
          "DGwGGGwGGGGGD...",
          "DGwGGGwGGwwGD...",
          "DGGwGwGGGGGwD...",
          "DGGwGwGGGwwwD...",
          "DGGGwGGGwGGwD...",
          "DGGGGGGGGwwwD...",
          "DGGGGGGGGGGGrr..",
          "DGGGGGGGGGGGrr..",
          "DDDDDDDDDDrrrrrr",
          "..........rrrrrr",
          "............rr..",
          "............rr..",
      }),
      // copy-add entry: two entry boxes and a plus
      Picture({
          "YYYYYYYY........",
          "YyyyyyyY........",
          "YyyYYYYYYYY.....",
          "YyyYyyyyyyY.....",
          "YyyYyyyyyyY.....",
          "YyyYyyyyyyY.....",
          "YYYYyyyyyyY.....",
          "...YyyyyyyY.....",
          "...YyyyyyyY.....",
          "...YyyyyyyY.rr..",
          "...YyyyyyyY.rr..",
          "...YYYYYYYrrrrrr",
          "..........rrrrrr",
          "............rr..",
          "............rr..",
      }),
      // search: a magnifier
      Picture({
          "................",
          "....kkkk........",
          "..kkcccckk......",
          ".kccwcccccck....",
          ".kcwccccccck....",
          "kccwccccccck....",
          "kcwcccccccck....",
          "kccccccccccck...",
          ".kccccccccck....",
          ".kccccccccck....",
          "..kkcccckkOk....",
          "....kkkk..OOO...",
          "...........OOO..",
          "............OOO.",
          ".............OO.",
      }),
      // search next: a magnifier and an arrow
      Picture({
          "................",
          "...kkkk.........",
          ".kkcccckk.......",
          ".kcwccccck......",
          "kcwcccccck......",
          "kcwcccccck......",
          "kccccccccck.....",
          ".kcccccck.......",
          ".kkcccckkO......",
          "...kkkk..OO..b..",
          "..........OO.bb.",
          "...........Obbbb",
          "...........bbbbb",
          ".............bb.",
          ".............b..",
      }),
      // expand all: an open tree
      Picture({
          "................",
          ".kkkkk..........",
          ".kwwwk..........",
          ".kwkwk.gggggg...",
          ".kwwwk..........",
          ".kkkkk..........",
          "...g............",
          "...g.kkkkk......",
          "...ggkwwwkgggg..",
          "...g.kkkkk......",
          "...g............",
          "...g.kkkkk......",
          "...ggkwwwkgggg..",
          ".....kkkkk......",
          "................",
      }),
      // sort: A over Z and a down arrow
      Picture({
          "................",
          "...k.......B....",
          "..k.k......B....",
          ".k...k.....B....",
          ".kkkkk.....B....",
          ".k...k.....B....",
          ".k...k.....B....",
          "...........B....",
          ".kkkkk.....B....",
          "....k......B....",
          "...k.....BBBBB..",
          "..k.......BBB...",
          ".k.........B....",
          ".kkkkk..........",
          "................",
      }),
      // about: a question mark
      Picture({
          "................",
          ".....BBBBBB.....",
          "....BBbbbbBB....",
          "...BBb....bBB...",
          "...BBb....bBB...",
          "..........bBB...",
          ".........bBB....",
          "........bBB.....",
          ".......bBB......",
          ".......BBb......",
          ".......BBb......",
          "................",
          ".......BBb......",
          ".......BBb......",
          "................",
      }),
  };
  return {std::move(bar)};
}

}  // namespace res::detail
