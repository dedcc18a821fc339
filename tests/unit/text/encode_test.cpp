#include "text/encode.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "core/script_error.h"

namespace brevane {
namespace {

struct Case {
  Text in;
  Text want;
};

void expect_all(Text (*fn)(Text), std::initializer_list<Case> cases) {
  for (const auto& c : cases) EXPECT_EQ(fn(c.in), c.want) << "input: " << to_utf8(c.in);
}

TEST(ReplaceRows, EachRowWorksOnTheOutputOfTheRowAbove) {
  EXPECT_EQ(replace_rows(u"ab", {{u"a", u"b"}, {u"b", u"c"}}), u"cc");
  EXPECT_EQ(replace_rows(u"aaa", {{u"aa", u"x"}}), u"xa");  // left to right, no overlap
  EXPECT_EQ(replace_rows(u"", {{u"a", u"b"}}), u"");
}

TEST(CommHtmlEncode, SpacesFollowTheNeighbourRule) {
  expect_all(CommHtmlEncode, {
                                 {u" ", u"&nbsp;"},
                                 {u"a b", u"a b"},
                                 {u"a  b", u"a&nbsp;&nbsp;b"},
                                 {u" a b ", u"&nbsp;a b&nbsp;"},
                                 {u"a \tb", u"a&nbsp;    b"},  // beside a TAB
                                 {u"a\t b", u"a    &nbsp;b"},
                                 {u"a   b", u"a&nbsp;&nbsp;&nbsp;b"},
                                 {u"a \n b", u"a \n b"},  // LF is not a blank neighbour
                             });
}

TEST(CommHtmlEncode, OnePassTable) {
  expect_all(CommHtmlEncode, {
                                 {u"<a href=\"x\">&</a>", u"&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;"},
                                 {u"1\r\n2", u"1<br>\n2"},
                                 {u"\t", u"    "},
                                 {u"&lt;", u"&amp;lt;"},  // one pass: nothing is escaped twice or undone
                                 {u"中文'", u"中文'"},
                                 {u"", u""},
                             });
}

TEST(CommHtmlEncode2, RowsInOrder) {
  expect_all(CommHtmlEncode2, {
                                  {u"a & b", u"a&nbsp;&&nbsp;b"},  // "&" passes through
                                  {u"<'\">", u"&lt;&#39;&quot;&gt;"},
                                  {u"\t", u"&nbsp;"},
                                  {u"a\r\n\r\nb", u"a</P><P> b"},  // CR removed before the LF pairs are seen
                                  {u"a\n\n\nb", u"a</P><P> <BR> b"},
                                  {u"a\r\nb", u"a<BR> b"},
                              });
}

TEST(CommHtmlUnEncode2, RowsInOrder) {
  expect_all(CommHtmlUnEncode2, {
                                    {u"&lt;&#39;&quot;&gt;", u"<'\">"},
                                    {u"a</P><P> b<BR> c", u"a\n\nb\nc"},
                                    {u"&amp;lt;", u"&amp;lt;"},  // "&amp;" is not decoded
                                    {u"&nbsp;&nbsp;", u"  "},
                                });
  // The round trip loses CRs and turns TABs into spaces.
  EXPECT_EQ(CommHtmlUnEncode2(CommHtmlEncode2(u"a\tb\r\nc")), u"a b\nc");
}

TEST(CommNoHtml, TagsBecomeSpaces) {
  expect_all(CommNoHtml, {
                             {u"x<b>y</b>", u"x y "},
                             {u"<P ALIGN=center>t</p>", u" t "},
                             {u"a<p>b>c<i>d", u"a c d"},  // up to the last ">" before the next "<"
                             {u"1 < 2", u"1 < 2"},
                             {u"<>", u"<>"},  // "<" needs one character before ">"
                             {u"no tags", u"no tags"},
                         });
}

TEST(CommEncodeString, BlankGivesEmptyOtherwiseUntrimmed) {
  expect_all(CommEncodeString, {
                                   {u"   ", u""},
                                   {u"", u""},
                                   {u" a ", u" a "},
                                   {u"&lt;", u"&amp;lt;"},  // "&" first, so entities are kept visible
                                   {u"<'\">", u"&lt;&#39;&quot;&gt;"},
                               });
}

TEST(CommUnEncodeString, TrimsAndUndoesInOrder) {
  expect_all(CommUnEncodeString, {
                                     {u"   ", u""},
                                     {u" &lt;b&gt; ", u"<b>"},
                                     {u"&amp;lt;", u"&lt;"},  // "&amp;" last: no double decoding
                                     {u"&#39;&quot;", u"'\""},
                                 });
  // Decoding undoes encoding, up to the trim.
  const Case round_trips[] = {{u" a<b>&'\" ", u"a<b>&'\""}, {u"&lt;", u"&lt;"}, {u"中 文", u"中 文"}};
  for (const auto& c : round_trips) EXPECT_EQ(CommUnEncodeString(CommEncodeString(c.in)), c.want);
}

TEST(CommEncodeString2, TrimsThenRowsInOrder) {
  expect_all(CommEncodeString2, {
                                    {u"a    b", u"a\u3000\u3000b"},
                                    {u"a   b", u"a\u3000 b"},
                                    {u"    ", u""},        // trimmed away before the space row
                                    {u"'x'&", u"\"x\"&"},  // apostrophes become double quotes, "&" stays
                                    {u"a\r\n\r\nb\r\nc", u"a</p><p>b<br>c"},
                                    {u"<b>", u"&lt;b&gt;"},
                                });
}

TEST(CommJoinChar, SeparatorForOneMorePair) {
  expect_all(CommJoinChar, {
                               {u"", u""},
                               {u"list.asp", u"list.asp?"},
                               {u"list.asp?x=1", u"list.asp?x=1&"},
                               {u"list.asp?", u"list.asp?"},
                               {u"list.asp?x=1&", u"list.asp?x=1&"},
                               {u"?x=1", u"?x=1?"},
                               {u"?", u"?"},
                               {u"a?x=1&y=2", u"a?x=1&y=2&"},
                           });
}

TEST(Encoders, ByNameThroughTheFacade) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommHtmlEncode", {Variant(u"a  b")}).to_text(), u"a&nbsp;&nbsp;b");
  EXPECT_EQ(call(c, u"CommNoHtml", {Variant(u"x<b>y</b>")}).to_text(), u"x y ");
  EXPECT_EQ(call(c, u"commjoinchar", {Variant(u"a.asp")}).to_text(), u"a.asp?");
}

}  // namespace
}  // namespace brevane
