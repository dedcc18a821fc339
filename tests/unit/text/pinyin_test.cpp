#include "text/pinyin.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/codepage.h"
#include "core/registry.h"
#include "core/script_error.h"

namespace brevane {
namespace {

// The syllable table as published with the GB2312 first-level order, written
// out a second time so that a slip in either copy shows.
constexpr char kPublishedSyllables[] = R"(
- A: a -20319, ai -20317, an -20304, ang -20295, ao -20292
- B: ba -20283, bai -20265, ban -20257, bang -20242, bao -20230, bei -20051, ben -20036, beng -20032, bi -20026, bian -20002, biao -19990, bie -19986, bin -19982, bing -19976, bo -19805, bu -19784
- C: ca -19775, cai -19774, can -19763, cang -19756, cao -19751, ce -19746, ceng -19741, cha -19739, chai -19728, chan -19725, chang -19715, chao -19540, che -19531, chen -19525, cheng -19515, chi -19500, chong -19484, chou -19479, chu -19467, chuai -19289, chuan -19288, chuang -19281, chui -19275, chun -19270, chuo -19263, ci -19261, cong -19249, cou -19243, cu -19242, cuan -19238, cui -19235, cun -19227, cuo -19224
- D: da -19218, dai -19212, dan -19038, dang -19023, dao -19018, de -19006, deng -19003, di -18996, dian -18977, diao -18961, die -18952, ding -18783, diu -18774, dong -18773, dou -18763, du -18756, duan -18741, dui -18735, dun -18731, duo -18722
- E: e -18710, en -18697, er -18696
- F: fa -18526, fan -18518, fang -18501, fei -18490, fen -18478, feng -18463, fo -18448, fou -18447, fu -18446
- G: ga -18239, gai -18237, gan -18231, gang -18220, gao -18211, ge -18201, gei -18184, gen -18183, geng -18181, gong -18012, gou -17997, gu -17988, gua -17970, guai -17964, guan -17961, guang -17950, gui -17947, gun -17931, guo -17928
- H: ha -17922, hai -17759, han -17752, hang -17733, hao -17730, he -17721, hei -17703, hen -17701, heng -17697, hong -17692, hou -17683, hu -17676, hua -17496, huai -17487, huan -17482, huang -17468, hui -17454, hun -17433, huo -17427
- J: ji -17417, jia -17202, jian -17185, jiang -16983, jiao -16970, jie -16942, jin -16915, jing -16733, jiong -16708, jiu -16706, ju -16689, juan -16664, jue -16657, jun -16647
- K: ka -16474, kai -16470, kan -16465, kang -16459, kao -16452, ke -16448, ken -16433, keng -16429, kong -16427, kou -16423, ku -16419, kua -16412, kuai -16407, kuan -16403, kuang -16401, kui -16393, kun -16220, kuo -16216
- L: la -16212, lai -16205, lan -16202, lang -16187, lao -16180, le -16171, lei -16169, leng -16158, li -16155, lia -15959, lian -15958, liang -15944, liao -15933, lie -15920, lin -15915, ling -15903, liu -15889, long -15878, lou -15707, lu -15701, lv -15681, luan -15667, lue -15661, lun -15659, luo -15652
- M: ma -15640, mai -15631, man -15625, mang -15454, mao -15448, me -15436, mei -15435, men -15419, meng -15416, mi -15408, mian -15394, miao -15385, mie -15377, min -15375, ming -15369, miu -15363, mo -15362, mou -15183, mu -15180
- N: na -15165, nai -15158, nan -15153, nang -15150, nao -15149, ne -15144, nei -15143, nen -15141, neng -15140, ni -15139, nian -15128, niang -15121, niao -15119, nie -15117, nin -15110, ning -15109, niu -14941, nong -14937, nu -14933, nv -14930, nuan -14929, nue -14928, nuo -14926
- O: o -14922, ou -14921
- P: pa -14914, pai -14908, pan -14902, pang -14894, pao -14889, pei -14882, pen -14873, peng -14871, pi -14857, pian -14678, piao -14674, pie -14670, pin -14668, ping -14663, po -14654, pu -14645
- Q: qi -14630, qia -14594, qian -14429, qiang -14407, qiao -14399, qie -14384, qin -14379, qing -14368, qiong -14355, qiu -14353, qu -14345, quan -14170, que -14159, qun -14151
- R: ran -14149, rang -14145, rao -14140, re -14137, ren -14135, reng -14125, ri -14123, rong -14122, rou -14112, ru -14109, ruan -14099, rui -14097, run -14094, ruo -14092
- S: sa -14090, sai -14087, san -14083, sang -13917, sao -13914, se -13910, sen -13907, seng -13906, sha -13905, shai -13896, shan -13894, shang -13878, shao -13870, she -13859, shen -13847, sheng -13831, shi -13658, shou -13611, shu -13601, shua -13406, shuai -13404, shuan -13400, shuang -13398, shui -13395, shun -13391, shuo -13387, si -13383, song -13367, sou -13359, su -13356, suan -13343, sui -13340, sun -13329, suo -13326
- T: ta -13318, tai -13147, tan -13138, tang -13120, tao -13107, te -13096, teng -13095, ti -13091, tian -13076, tiao -13068, tie -13063, ting -13060, tong -12888, tou -12875, tu -12871, tuan -12860, tui -12858, tun -12852, tuo -12849
- W: wa -12838, wai -12831, wan -12829, wang -12812, wei -12802, wen -12607, weng -12597, wo -12594, wu -12585
- X: xi -12556, xia -12359, xian -12346, xiang -12320, xiao -12300, xie -12120, xin -12099, xing -12089, xiong -12074, xiu -12067, xu -12058, xuan -12039, xue -11867, xun -11861
- Y: ya -11847, yan -11831, yang -11798, yao -11781, ye -11604, yi -11589, yin -11536, ying -11358, yo -11340, yong -11339, you -11324, yu -11303, yuan -11097, yue -11077, yun -11067
- Z: za -11055, zai -11052, zan -11045, zang -11041, zao -11038, ze -11024, zei -11020, zen -11019, zeng -11018, zha -11014, zhai -10838, zhan -10832, zhang -10815, zhao -10800, zhe -10790, zhen -10780, zheng -10764, zhi -10587, zhong -10544, zhou -10533, zhu -10519, zhua -10331, zhuai -10329, zhuan -10328, zhuang -10322, zhui -10315, zhun -10309, zhuo -10307, zi -10296, zong -10281, zou -10274, zu -10270, zuan -10262, zui -10260, zun -10256, zuo -10254)";

struct PublishedInitial {
  char16_t letter;
  int first, last;
};
constexpr PublishedInitial kPublishedInitials[] = {
    {u'A', 45217, 45252}, {u'B', 45253, 45760}, {u'C', 45761, 46317}, {u'D', 46318, 46825}, {u'E', 46826, 47009},
    {u'F', 47010, 47296}, {u'G', 47297, 47613}, {u'H', 47614, 48118}, {u'J', 48119, 49061}, {u'K', 49062, 49323},
    {u'L', 49324, 49895}, {u'M', 49896, 50370}, {u'N', 50371, 50613}, {u'O', 50614, 50621}, {u'P', 50622, 50905},
    {u'Q', 50906, 51386}, {u'R', 51387, 51445}, {u'S', 51446, 52217}, {u'T', 52218, 52697}, {u'W', 52698, 52979},
    {u'X', 52980, 53688}, {u'Y', 53689, 54480}, {u'Z', 54481, 55288},
};

std::vector<std::pair<std::string, int>> parse_published() {
  std::vector<std::pair<std::string, int>> rows;
  std::istringstream in(kPublishedSyllables);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream items(line.substr(line.find(':') + 1));
    std::string item;
    while (std::getline(items, item, ',')) {
      std::istringstream row(item);
      std::string spelling;
      int code;
      row >> spelling >> code;
      rows.emplace_back(spelling, code);
    }
  }
  return rows;
}

// The character whose signed ANSI code is `code` in the test code page (936).
Text gb(int code) { return CodePage::ansi().from_ansi_code(code); }

TEST(PinyinTables, SyllablesMatchThePublishedTableRowByRow) {
  auto published = parse_published();
  auto table = pinyin_syllables();
  ASSERT_EQ(published.size(), 396u);
  ASSERT_EQ(table.size(), published.size());
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(to_utf8(table[i].spelling), published[i].first) << "row " << i;
    EXPECT_EQ(table[i].boundary, published[i].second) << "row " << i;
  }
  EXPECT_EQ(table.front().spelling, u"a");
  EXPECT_EQ(table.front().boundary, -20319);
  EXPECT_EQ(table.back().spelling, u"zuo");
  EXPECT_EQ(table.back().boundary, -10254);
}

TEST(PinyinTables, InitialsMatchThePublishedRangesAndLeaveNoGaps) {
  auto table = pinyin_initials();
  ASSERT_EQ(table.size(), std::size(kPublishedInitials));
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].letter, kPublishedInitials[i].letter);
    EXPECT_EQ(table[i].first, kPublishedInitials[i].first);
    EXPECT_EQ(table[i].last, kPublishedInitials[i].last);
    if (i) {
      EXPECT_EQ(table[i].first, table[i - 1].last + 1) << "gap before " << char(table[i].letter);
    }
  }
}

TEST(PinyinTables, BoundariesAscendAndAgreeWithTheInitials) {
  auto table = pinyin_syllables();
  for (size_t i = 0; i < table.size(); ++i) {
    if (i) {
      EXPECT_LT(table[i - 1].boundary, table[i].boundary) << to_utf8(table[i].spelling);
    }
    char16_t initial = pinyin_initial(table[i].boundary + 65536);
    EXPECT_EQ(initial, table[i].spelling[0] - u'a' + u'A') << to_utf8(table[i].spelling);
  }
}

TEST(PinyinSyllable, LargestBoundaryNotAboveTheCode) {
  struct Case {
    int code;
    const char16_t* want;
  };
  const Case cases[] = {
      {-20320, u""},    {-20319, u"a"},  {-20318, u"a"},   {-20317, u"ai"},  {-15681, u"lv"},
      {-15661, u"lue"}, {-14930, u"nv"}, {-14928, u"nue"}, {-10255, u"zun"}, {-10254, u"zuo"},
      {-10247, u"zuo"}, {-10246, u""},   {-1, u""},        {65, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(pinyin_syllable(c.code), c.want) << c.code;
}

TEST(CommGetPyChar, FirstCharacterDecides) {
  struct Case {
    Text in;
    Text want;
  };
  const Case cases[] = {
      {gb(0xB0A1 - 65536), u"A"},  // first first-level character
      {gb(0xB0C4 - 65536), u"A"},  // last of A
      {gb(0xB0C5 - 65536), u"B"},  // first of B
      {gb(55288 - 65536), u"Z"},   // last of the Z range
      {u"x", u"x"},
      {u"中国", u"Z"},                           // only the first character counts
      {u"x中", u"x中"},                          // unconverted: the whole text comes back
      {gb(0xD8A1 - 65536), gb(0xD8A1 - 65536)},  // second level
      {u"，", u"，"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetPyChar(c.in), c.want) << to_utf8(c.in);
}

TEST(CommGetPyChar, EmptyTextIsAnInvalidCall) {
  try {
    CommGetPyChar(u"");
    FAIL();
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kInvalidCall);
  }
}

TEST(CommGetPyString, InitialsInPlaceOthersKept) {
  EXPECT_EQ(CommGetPyString(u"中国2008abc"), u"ZG2008abc");
  EXPECT_EQ(CommGetPyString(u"拼音，ok"), u"PY，ok");
  EXPECT_EQ(CommGetPyString(u""), u"");
}

TEST(CommGetQPyString, SpellingsRunTogether) {
  struct Case {
    Text in;
    Text want;
  };
  const Case cases[] = {
      {u"中国", u"zhongguo"},
      {gb(-20319) + gb(-20317), u"aai"},
      {gb(-10254) + gb(-10247), u"zuozuo"},                          // the tail past the last boundary
      {u"中" + gb(0xD8A1 - 65536) + u"国", u"zhongguo"},             // second level dropped without a gap
      {u"你好，世界！", u"nihaoshijie"},                             // full-width signs dropped
      {u"A1 b~", u"A1 b~"},                                          // ASCII kept, spaces included
      {Text(1, u'\0') + u"x", u"x"},                                 // character 0 is not ASCII here
      {u"\u00e9", u""},                                              // double-byte, outside the first level
      {Text(1, kRawByteBase + 0xA0), u""},                           // lone byte 160: nothing
      {Text(1, kRawByteBase + 0x9F), Text(1, kRawByteBase + 0x9F)},  // lone byte 159 passes
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetQPyString(c.in), c.want) << to_utf8(c.in);
}

TEST(CommGetQPyString, UnrepresentableCharacterCountsAsQuestionMark) {
  EXPECT_EQ(CommGetQPyString(u"\U0001F600"), u"??");
}

TEST(Pinyin, ByNameThroughTheFacade) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommGetQPyString", {Variant(u"中国")}).to_text(), u"zhongguo");
  EXPECT_EQ(call(c, u"CommGetPyString", {Variant(u"中国")}).to_text(), u"ZG");
  EXPECT_EQ(call(c, u"CommGetPyChar", {Variant(u"国")}).to_text(), u"G");
}

}  // namespace
}  // namespace brevane
