// Connections and record sets over SQLite, as pages and component code use
// them: opened from the connection string the component builds, read by
// field name, paged, counted.
#include "platform/adodb.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/registry.h"
#include "core/vbdate.h"
#include "kit/expect.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

Variant make(TextView progid) { return Variant(create_object(progid)); }

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("brevane_rs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    conn_ = make(u"ADODB.Connection");
    // The string the component builds: a Windows path behind DBQ=.
    Text win = u"C:" + from_utf8(dir_.string()) + u"/vote.asp";
    for (auto& c : win)
      if (c == u'/') c = u'\\';
    call(conn_, u"Open", {Variant(u"DBQ=" + win + u";DefaultDir=;DRIVER={Microsoft Access Driver (*.Mdb)};")});
    exec(
        u"create table news ([id] integer primary key, [title] varchar(50), hits long, price currency, "
        u"posted datetime, shown bit, body memo)");
    exec(u"insert into news values (1, '中文标题', 10, 2.5, '2026-12-06 09:05:07', 1, null)");
    exec(u"insert into news values (2, 'second', 20, 3, '2026-01-02', 0, 'x')");
    exec(u"insert into news values (3, 'third', 30, 0, null, 1, 'y')");
    exec(u"insert into news values (4, 'fourth', 40, 0, null, 1, 'y')");
    exec(u"insert into news values (5, 'fifth', 50, 0, null, 1, 'y')");
  }
  void TearDown() override {
    if (get(conn_, u"State").to_i32() == 1) call(conn_, u"Close");
    std::filesystem::remove_all(dir_);
  }
  void exec(TextView sql) { call(conn_, u"Execute", {Variant(sql)}); }
  Variant open(TextView sql, int cursor = 1, int lock = 1) {
    Variant rs = make(u"Adodb.RecordSet");
    call(rs, u"Open", {Variant(sql), conn_, Variant(cursor), Variant(lock)});
    return rs;
  }

  std::filesystem::path dir_;
  Variant conn_;
};

TEST_F(RecordsetTest, TheDataFileLandsWhereTheWindowsPathMapsTo) {
  EXPECT_TRUE(std::filesystem::exists(dir_ / "vote.asp"));
}

TEST_F(RecordsetTest, WalksRowsInOrderWithEofAndBof) {
  Variant rs = open(u"select [id], [title] from [news] order by [id]");
  EXPECT_FALSE(get(rs, u"BOF").to_bool());
  std::vector<int32_t> ids;
  while (!get(rs, u"EOF").to_bool()) {
    ids.push_back(call_default(rs, {Variant(u"ID")}).to_i32());  // names without regard to case
    call(rs, u"MoveNext");
  }
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(error_of([&] { call(rs, u"MoveNext"); }),
            raised(kDataBofOrEof,
                   u"Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
                   u"current record."));
  EXPECT_EQ(error_of([&] { call_default(rs, {Variant(u"id")}).value(); }),
            raised(kDataBofOrEof,
                   u"Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
                   u"current record."));
  call(rs, u"MoveFirst");
  EXPECT_EQ(call_default(rs, {Variant(u"title")}).to_text(), u"中文标题");
}

TEST_F(RecordsetTest, NoRowsIsEofAndBofAtOnce) {
  Variant rs = open(u"select * from news where id = 99");
  EXPECT_TRUE(get(rs, u"EOF").to_bool());
  EXPECT_TRUE(get(rs, u"BOF").to_bool());
  EXPECT_EQ(get(rs, u"RecordCount").to_i32(), 0);
  EXPECT_EQ(get(rs, u"PageCount").to_i32(), 0);
}

TEST_F(RecordsetTest, ValuesComeBackAsTheColumnsTypes) {
  Variant rs = open(u"select * from news where id = 1");
  auto f = [&](TextView name) { return call_default(rs, {Variant(name)}).value(); };
  EXPECT_EQ(f(u"id").type(), VarType::Long);
  EXPECT_EQ(f(u"hits").type(), VarType::Long);
  EXPECT_EQ(f(u"title").type(), VarType::String);
  EXPECT_EQ(f(u"price").type(), VarType::Currency);
  EXPECT_EQ(f(u"price").to_currency().scaled, 25000);
  EXPECT_EQ(f(u"shown").type(), VarType::Boolean);
  EXPECT_TRUE(f(u"shown").to_bool());
  EXPECT_TRUE(f(u"body").is_null());
  ASSERT_EQ(f(u"posted").type(), VarType::Date);
  DateParts d = parts_from_ole_date(f(u"posted").to_date());
  EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 20261206);
  EXPECT_EQ(d.hour * 3600 + d.minute * 60 + d.second, 9 * 3600 + 5 * 60 + 7);
  // Expressions have no declared type: their stored type decides.
  Variant count = open(u"select count(*) as n, sum(price) as s from news");
  EXPECT_EQ(call_default(count, {Variant(u"n")}).value().type(), VarType::Long);
  EXPECT_EQ(call_default(count, {Variant(u"n")}).to_i32(), 5);
}

TEST_F(RecordsetTest, FieldsCollectionByNameAndOrdinal) {
  Variant rs = open(u"select id, title from news order by id");
  Variant fields = get(rs, u"Fields");
  EXPECT_EQ(get(fields, u"Count").to_i32(), 2);
  Variant second = call_default(fields, {Variant(1)});
  EXPECT_EQ(get(second, u"Name").to_text(), u"title");
  EXPECT_EQ(get(second, u"Value").to_text(), u"中文标题");
  EXPECT_EQ(get(second, u"Type").to_i32(), 202);
  EXPECT_EQ(error_of([&] { call_default(rs, {Variant(u"nope")}); }),
            raised(kDataItemNotFound,
                   u"Item cannot be found in the collection corresponding to the requested name or ordinal."));
  // A field follows the record set's current row.
  call(rs, u"MoveNext");
  EXPECT_EQ(second.to_text(), u"second");
}

struct PageCase {
  int32_t page_size, page, first_id;
  bool eof;
};

TEST_F(RecordsetTest, PagingPositionsAtThePagesFirstRow) {
  for (PageCase c : {PageCase{2, 1, 1, false}, PageCase{2, 2, 3, false}, PageCase{2, 3, 5, false},
                     PageCase{2, 4, 0, true}, PageCase{10, 1, 1, false}}) {
    Variant rs = open(u"select id from news order by id");
    put(rs, u"PageSize", Variant(c.page_size));
    EXPECT_EQ(get(rs, u"PageCount").to_i32(), (5 + c.page_size - 1) / c.page_size);
    put(rs, u"AbsolutePage", Variant(c.page));
    EXPECT_EQ(get(rs, u"EOF").to_bool(), c.eof) << c.page;
    if (!c.eof) {
      EXPECT_EQ(call_default(rs, {Variant(u"id")}).to_i32(), c.first_id);
      EXPECT_EQ(get(rs, u"AbsolutePage").to_i32(), c.page);
    }
  }
}

TEST_F(RecordsetTest, ForwardOnlyCursorDoesNotCount) {
  EXPECT_EQ(get(open(u"select id from news", 0, 1), u"RecordCount").to_i32(), -1);
  EXPECT_EQ(get(open(u"select id from news", 1, 1), u"RecordCount").to_i32(), 5);
  EXPECT_EQ(get(open(u"select id from news", 3, 3), u"RecordCount").to_i32(), 5);
}

TEST_F(RecordsetTest, CloseAndStateAndClosedErrors) {
  Variant rs = open(u"select id from news");
  EXPECT_EQ(get(rs, u"State").to_i32(), 1);
  call(rs, u"Close");
  EXPECT_EQ(get(rs, u"State").to_i32(), 0);
  EXPECT_EQ(error_of([&] { get(rs, u"EOF"); }),
            raised(kDataClosed, u"Operation is not allowed when the object is closed."));
  EXPECT_EQ(error_of([&] { call(rs, u"Close"); }),
            raised(kDataClosed, u"Operation is not allowed when the object is closed."));
  call(conn_, u"Close");
  EXPECT_EQ(get(conn_, u"State").to_i32(), 0);
  EXPECT_EQ(
      error_of([&] { open(u"select 1"); }),
      raised(
          kDataBadConnection,
          u"The connection cannot be used to perform this operation. It is either closed or invalid in this context."));
  call(conn_, u"Open");  // reopens the same string
  EXPECT_EQ(get(open(u"select id from news"), u"RecordCount").to_i32(), 5);
}

TEST_F(RecordsetTest, BadSqlRaisesTheProvidersError) {
  EXPECT_EQ(error_of([&] { open(u"select * from missing_table"); }),
            raised(kDataProvider, u"no such table: missing_table"));
  EXPECT_EQ(error_of([&] { exec(u"this is not sql"); }), raised(kDataProvider, u"near \"this\": syntax error"));
}

TEST_F(RecordsetTest, ExecuteReportsRowsAffectedAndReturnsRows) {
  std::vector<Variant> args{Variant(u"update news set hits = hits + 1 where id > 3"), Variant(0)};
  invoke_by_name(conn_, u"Execute", kMethod, args);
  EXPECT_EQ(args[1].to_i32(), 2);
  Variant rs = call(conn_, u"Execute", {Variant(u"select hits from news where id = 5")});
  EXPECT_EQ(call_default(rs, {Variant(u"hits")}).to_i32(), 51);
}

struct SqlFunctionCase {
  const char16_t* expr;
  Variant want;
};

TEST_F(RecordsetTest, TextFunctionsCountCharacters) {
  for (const auto& c :
       {SqlFunctionCase{u"Left('中文标题', 2)", Variant(u"中文")},
        SqlFunctionCase{u"Right('中文标题', 1)", Variant(u"题")},
        SqlFunctionCase{u"Mid('中文标题', 2, 2)", Variant(u"文标")},
        SqlFunctionCase{u"Mid('中文标题', 3)", Variant(u"标题")}, SqlFunctionCase{u"Len('中文标题')", Variant(4)},
        SqlFunctionCase{u"Left([title], 3) from news where id = 2 --", Variant(u"sec")},
        SqlFunctionCase{u"Len(null) is null", Variant(1)},
        SqlFunctionCase{u"'left(' || \"right(\" from news n left join news m on m.id = n.id limit 1",
                        Variant(u"left(right(")}}) {
    Variant rs = open(Text(u"select ") + c.expr);
    Variant got = call_default(rs, {Variant(0)}).value();
    EXPECT_EQ(got.to_text(), c.want.to_text()) << to_utf8(c.expr);
  }
  EXPECT_EQ(error_of([&] { open(u"select Mid('abc', 0)"); }),
            raised(kDataProvider, u"Invalid procedure call or argument"));
}

DateParts fixed_clock() { return DateParts{2026, 12, 6, 10, 0, 1}; }

TEST_F(RecordsetTest, NowReadsTheLocalClockAsSortableText) {
  set_clock_for_testing(&fixed_clock);
  Variant rs = open(u"select Now() as n, (select count(*) from news where posted < Now()) as older");
  set_clock_for_testing(nullptr);
  EXPECT_EQ(call_default(rs, {Variant(u"n")}).to_text(), u"2026-12-06 10:00:01");
  EXPECT_EQ(call_default(rs, {Variant(u"older")}).to_i32(), 2);
}

TEST(Connection, OpensAPlainPathAndRefusesAnUnmappedDrive) {
  auto file = std::filesystem::temp_directory_path() / "brevane_plain.db";
  std::filesystem::remove(file);
  Variant conn = make(u"ADODB.Connection");
  call(conn, u"Open", {Variant(from_utf8(file.string()))});
  call(conn, u"Execute", {Variant(u"create table t (a text)")});
  call(conn, u"Close");
  EXPECT_TRUE(std::filesystem::exists(file));
  std::filesystem::remove(file);
  EXPECT_EQ(error_of([] { call(make(u"ADODB.Connection"), u"Open", {Variant(u"DBQ=Q:\\nowhere\\x.mdb;")}); }),
            raised(kDataProvider, u"Could not find file 'Q:\\nowhere\\x.mdb'."));
}

TEST(Connection, RecordSetOpensItsOwnConnectionFromAString) {
  Variant rs = make(u"ADODB.Recordset");
  call(rs, u"Open", {Variant(u"select 7 as seven"), Variant(u":memory:"), Variant(1), Variant(1)});
  EXPECT_EQ(call_default(rs, {Variant(u"seven")}).to_i32(), 7);
}

}  // namespace
}  // namespace brevane
