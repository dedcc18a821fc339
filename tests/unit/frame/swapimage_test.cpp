#include "frame/swapimage.h"

#include <gtest/gtest.h>

namespace brevane {
namespace {

TEST(SwapImageScript, OneLineWithTheFourFunctionsInOrder) {
  Text s = CommScriptSwapImage();
  EXPECT_EQ(s.find_first_of(u"\r\n"), Text::npos);
  EXPECT_EQ(s.rfind(u"<Script Language=\"JavaScript\">function ZeltoSwapImgRestore(){", 0), 0u);
  EXPECT_TRUE(s.ends_with(u"}</Script>"));
  size_t at = 0;
  for (TextView header :
       {u"}function ZeltoPreloadImages(){", u"}function ZeltoFindObject(n, d){", u"}function ZeltoSwapImage(){"}) {
    size_t found = s.find(header, at);
    ASSERT_NE(found, Text::npos) << to_utf8(header);
    at = found;
  }
  for (TextView shared : {u"document.mm_sr", u"d.mm_p", u"oSrc"}) EXPECT_NE(s.find(shared), Text::npos);
}

}  // namespace
}  // namespace brevane
