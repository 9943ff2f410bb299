#include "core/list_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "platform/paths.h"
#include "tests/core/table_fixture.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lantervo {
namespace {

using test::AddRow;
using test::MakeTable;
using test::MessageOf;
using test::Names;
using Strings = std::vector<std::string>;

const std::string kHead =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
const std::string kFields =
    "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"200\"/>"
    "<FIELD attrname=\"Status\" fieldtype=\"string\" WIDTH=\"10\"/>"
    "<FIELD attrname=\"Result\" fieldtype=\"string\" WIDTH=\"50000\"/>"
    "<FIELD attrname=\"Url\" fieldtype=\"string\" WIDTH=\"500\"/>"
    "<FIELD attrname=\"Active\" fieldtype=\"boolean\"/>"
    "<FIELD attrname=\"LoadTime\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"Timeout\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"TimeoutEnabled\" fieldtype=\"boolean\"/>"
    "<FIELD attrname=\"Response\" fieldtype=\"string\" WIDTH=\"50000\"/>"
    "<FIELD attrname=\"ResponseEnabled\" fieldtype=\"boolean\"/>";
const std::string kMiddle = "</FIELDS><PARAMS/></METADATA><ROWDATA>";
const std::string kTail = "</ROWDATA></DATAPACKET>";

std::string Document(const std::string& rows, const std::string& fields = kFields) {
  return kHead + fields + kMiddle + rows + kTail;
}

struct Example {
  const char *name, *status, *result, *url;
  bool active;
  int loadTime;
  bool timeoutEnabled;
  const char* response;
  bool responseEnabled;
};

void FillExample(ServerTable& t) {
  static const Example rows[] = {
      {"Intranet", "OK", "OK", "http://192.0.2.10/", true, 187, true, "OK", false},
      {"Shop & Co", "ERR_RESP", "Wrong response: <h1>Closed</h1>",
       "http://192.0.2.20/check?a=1&b=2", false, 95, false, "<h1>Open</h1>\r\n", true}};
  t.CreateList();
  for (const Example& row : rows) {
    t.AppendRow();
    t.SetText("Name", row.name);
    t.SetText("Status", row.status);
    t.SetText("Result", row.result);
    t.SetText("Url", row.url);
    t.SetBool("Active", row.active);
    t.SetInt("LoadTime", row.loadTime);
    t.SetInt("Timeout", 500);
    t.SetBool("TimeoutEnabled", row.timeoutEnabled);
    t.SetText("Response", row.response);
    t.SetBool("ResponseEnabled", row.responseEnabled);
    t.PostRow();
  }
}

TEST(ListFileWriter, EmptyTableIsTheBarePacket) {
  ServerTable t = MakeTable();
  t.CreateList();
  EXPECT_EQ(WriteDataPacket(t), Document(""));
}

TEST(ListFileWriter, TwoRowExampleByteForByte) {
  ServerTable t = MakeTable();
  FillExample(t);
  EXPECT_EQ(
      WriteDataPacket(t),
      Document("<ROW Name=\"Intranet\" Status=\"OK\" Result=\"OK\" Url=\"http://192.0.2.10/\" "
               "Active=\"TRUE\" LoadTime=\"187\" Timeout=\"500\" TimeoutEnabled=\"TRUE\" "
               "Response=\"OK\" ResponseEnabled=\"FALSE\"/>"
               "<ROW Name=\"Shop &amp; Co\" Status=\"ERR_RESP\" Result=\"Wrong response: "
               "&lt;h1&gt;Closed&lt;/h1&gt;\" Url=\"http://192.0.2.20/check?a=1&amp;b=2\" "
               "Active=\"FALSE\" LoadTime=\"95\" Timeout=\"500\" TimeoutEnabled=\"FALSE\" "
               "Response=\"&lt;h1&gt;Open&lt;/h1&gt;&#013;&#010;\" ResponseEnabled=\"TRUE\"/>"));
}

TEST(ListFileWriter, NullFieldsAreLeftOutAndEmptyTextIsKept) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "QUORVIK Media");
  t.SetText("Url", "http://vendor.example/");
  t.SetInt("Timeout", 300);
  t.SetBool("Active", true);
  t.PostRow();
  EXPECT_EQ(WriteDataPacket(t),
            Document("<ROW Name=\"QUORVIK Media\" Url=\"http://vendor.example/\" "
                     "Active=\"TRUE\" Timeout=\"300\"/>"));
  t.BeginEdit();
  t.SetText("Status", "");
  t.SetInt("LoadTime", -1);
  t.PostRow();
  const std::string doc = WriteDataPacket(t);
  EXPECT_NE(doc.find(" Status=\"\" "), std::string::npos);
  EXPECT_NE(doc.find(" LoadTime=\"-1\" "), std::string::npos);

  ServerTable back = MakeTable();
  ReadDataPacket(doc, back);
  EXPECT_FALSE(back.IsNull("Status"));
  EXPECT_EQ(back.GetText("Status"), "");
  EXPECT_TRUE(back.IsNull("TimeoutEnabled"));
  EXPECT_TRUE(back.IsNull("Response"));
  EXPECT_TRUE(back.IsNull("ResponseEnabled"));
  EXPECT_EQ(back.GetInt("LoadTime"), -1);
}

TEST(ListFileWriter, EscapesEveryListedByteAndNothingElse) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "a\\b'c\td\x01 \xC3\xA9");
  t.SetText("Response", "x&\x01y&z");
  t.PostRow();
  const std::string doc = WriteDataPacket(t);
  EXPECT_NE(doc.find("Name=\"a&#092;b&apos;c&#009;d\x01 \xE9\""), std::string::npos) << doc;
  // "&" followed by the byte 1 is written as "&#" and the byte 1 is dropped.
  EXPECT_NE(doc.find("Response=\"x&#y&amp;z\""), std::string::npos) << doc;
}

TEST(ListFileWriter, TrailByteOfDoubleByteCharacterIsNotEscaped) {
  ServerTable t = MakeTable(932);
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "\xE3\x82\xBD\\");  // ソ (83 5C) then a real backslash
  t.PostRow();
  const std::string doc = WriteDataPacket(t);
  EXPECT_NE(doc.find("Name=\"\x83\x5C&#092;\""), std::string::npos);
  ServerTable back = MakeTable(932);
  ReadDataPacket(doc, back);
  EXPECT_EQ(back.GetText("Name"), "\xE3\x82\xBD\\");
}

TEST(ListFileRoundTrip, ValuesAndNullnessSurvive) {
  ServerTable t = MakeTable();
  FillExample(t);
  t.AppendRow();
  t.SetText("Name", "caf\xC3\xA9 \"quoted\" <x> \\ ");
  t.SetText("Response", std::string("line1\r\nline2\ttab\x7F\x80", 19));
  t.SetInt("Timeout", -2147483647 - 1);
  t.PostRow();
  ServerTable back = MakeTable();
  ReadDataPacket(WriteDataPacket(t), back);
  EXPECT_EQ(WriteDataPacket(back), WriteDataPacket(t));
  EXPECT_EQ(Names(back), (Strings{"caf\xC3\xA9 \"quoted\" <x> \\", "Intranet", "Shop & Co"}));
  back.MoveFirst();
  EXPECT_EQ(back.GetInt("Timeout"), -2147483647 - 1);
  EXPECT_TRUE(back.IsNull("Active"));
}

TEST(ListFileRoundTrip, FileKeepsEntryOrderTableKeepsNameOrder) {
  test::TempDir dir;
  ServerTable t = MakeTable();
  t.FileName = dir.File("LTV.xml");
  t.CreateList();
  AddRow(t, "B-server");
  AddRow(t, "A-server");
  t.SaveList(t.FileName);
  const std::string doc = dir.Read("LTV.xml");
  EXPECT_LT(doc.find("B-server"), doc.find("A-server"));
  ServerTable back = MakeTable();
  back.FileName = t.FileName;
  back.OpenList();
  EXPECT_EQ(Names(back), (Strings{"A-server", "B-server"}));
  EXPECT_FALSE(back.Changed());
  // Rows added after a load follow the loaded ones in the file.
  AddRow(back, "0-first-by-name");
  back.MoveFirst();
  back.MoveNext();
  back.DeleteRow();  // A-server
  back.SaveList(back.FileName);
  const std::string again = dir.Read("LTV.xml");
  EXPECT_EQ(again.find("A-server"), std::string::npos);
  EXPECT_LT(again.find("B-server"), again.find("0-first-by-name"));
}

TEST(ListFileReader, ToleratesWhiteSpaceBomCommentsAndSingleQuotes) {
  const std::string rows = "\r\n  <ROW Name='x' Active=\"TRUE\"/>\n";
  std::string doc = "\xEF\xBB\xBF  \r\n" + kHead + "\n" + kFields + "\n <!-- note -->" + kMiddle +
                    rows + kTail + "\n";
  ServerTable t = MakeTable();
  ReadDataPacket(doc, t);
  EXPECT_EQ(Names(t), Strings{"x"});
  EXPECT_TRUE(t.GetBool("Active"));
}

TEST(ListFileReader, Utf8DocumentsAreConvertedOnlyWhenTheyReallyAreUtf8) {
  ServerTable declared = MakeTable();
  ReadDataPacket("<?xml version=\"1.0\" ENCODING='utf-8'?>" +
                     Document("<ROW Name=\"caf\xC3\xA9\"/>").substr(kHead.find("<DATAPACKET")),
                 declared);
  declared.MoveFirst();
  EXPECT_EQ(declared.GetText("Name"), "caf\xC3\xA9");
  EXPECT_EQ(WriteDataPacket(declared).find("caf\xE9\""), WriteDataPacket(declared).find("caf"));

  ServerTable raw = MakeTable();  // announced UTF-8 but not UTF-8: bytes as they are
  ReadDataPacket("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                     Document("<ROW Name=\"caf\xE9\"/>").substr(kHead.find("<DATAPACKET")),
                 raw);
  raw.MoveFirst();
  EXPECT_EQ(raw.GetText("Name"), "caf\xC3\xA9");

  ServerTable plain = MakeTable();  // no declaration: 8-bit code page text
  ReadDataPacket(Document("<ROW Name=\"caf\xE9\"/>"), plain);
  plain.MoveFirst();
  EXPECT_EQ(plain.GetText("Name"), "caf\xC3\xA9");
}

TEST(ListFileReader, ReferencesDecodeToOneByte) {
  ServerTable t = MakeTable();
  ReadDataPacket(
      Document(
          "<ROW Name=\"&#65;&#x42;&#x43;&#321;&#;&foo;&amp;&lt;&gt;&apos;&quot;&#013;&#010;\"/>"),
      t);
  t.MoveFirst();
  EXPECT_EQ(t.GetText("Name"), "ABCA&#;&foo;&<>'\"\r\n");  // 321 keeps its low 8 bits: 65
}

TEST(ListFileReader, ValueRulesPerType) {
  ServerTable t = MakeTable();
  ReadDataPacket(
      Document("<ROW Name=\"1\" Active=\"true\" TimeoutEnabled=\"yes\" ResponseEnabled=\"\" "
               "LoadTime=\"-1\" Timeout=\"12ms\"/>"
               "<ROW Name=\"2\" Active=\"f\" LoadTime=\"abc\" Timeout=\"\"/>"),
      t);
  t.MoveFirst();
  EXPECT_TRUE(t.GetBool("Active"));
  EXPECT_FALSE(t.GetBool("TimeoutEnabled"));
  EXPECT_FALSE(t.IsNull("TimeoutEnabled"));
  EXPECT_TRUE(t.IsNull("ResponseEnabled"));
  EXPECT_EQ(t.GetInt("LoadTime"), -1);
  EXPECT_EQ(t.GetInt("Timeout"), 12);
  t.MoveNext();
  EXPECT_FALSE(t.GetBool("Active"));
  EXPECT_FALSE(t.IsNull("Active"));
  EXPECT_TRUE(t.IsNull("LoadTime"));
  EXPECT_TRUE(t.IsNull("Timeout"));
  EXPECT_TRUE(t.IsNull("Url"));  // a missing attribute is a null field
}

TEST(ListFileReader, RowStateBitsDecideWhatLoads) {
  ServerTable t = MakeTable();
  ReadDataPacket(
      Document("<ROW RowState=\"2\" Name=\"deleted\"/><ROW RowState=\"4\" Name=\"kept\"/>"
               "<ROW RowState=\"1\" Name=\"one\"/><ROW RowState=\"32\" Name=\"thirty-two\"/>"
               "<ROW RowState=\"8\" Name=\"eight\"/>"),
      t);
  EXPECT_EQ(Names(t), (Strings{"eight", "kept"}));
}

TEST(ListFileReader, FieldDeclarationsBindByNameInAnyOrder) {
  std::string reversed;
  // Same declarations, last first.
  std::vector<std::string> decls;
  for (size_t pos = 0; (pos = kFields.find("<FIELD", pos)) != std::string::npos;) {
    size_t end = kFields.find("/>", pos) + 2;
    decls.push_back(kFields.substr(pos, end - pos));
    pos = end;
  }
  for (auto it = decls.rbegin(); it != decls.rend(); ++it) reversed += *it;
  ServerTable t = MakeTable();
  ReadDataPacket(Document("<ROW Name=\"n\" Timeout=\"7\"/>", reversed), t);
  t.MoveFirst();
  EXPECT_EQ(t.GetInt("Timeout"), 7);
  // The writer keeps the file's declaration order.
  EXPECT_NE(WriteDataPacket(t).find(reversed), std::string::npos);
}

TEST(ListFileReader, FailuresAndTheirMessages) {
  ServerTable t = MakeTable();
  EXPECT_EQ(MessageOf([&] { ReadDataPacket("x<DATAPACKET/>", t); }), "Mismatch in datapacket.");
  EXPECT_EQ(MessageOf([&] { ReadDataPacket("<DATAPACKET Version=\"2.0\"></DATAPACKET>", t); }),
            "Datapacket contains no meta data.");
  EXPECT_EQ(MessageOf([&] { ReadDataPacket(Document("<ROW Name=\"unterminated/>"), t); }),
            "Mismatch in datapacket.");
  EXPECT_EQ(MessageOf([&] { ReadDataPacket(kHead + kFields, t); }), "Mismatch in datapacket.");

  std::string noUrl = kFields;
  noUrl.erase(noUrl.find("<FIELD attrname=\"Url\""),
              std::string("<FIELD attrname=\"Url\" fieldtype=\"string\" WIDTH=\"500\"/>").size());
  EXPECT_EQ(MessageOf([&] { ReadDataPacket(Document("", noUrl), t); }),
            "setServer: Field 'Url' not found");

  std::string activeAsString = kFields;
  activeAsString.replace(activeAsString.find("\"Active\" fieldtype=\"boolean\""), 28,
                         "\"Active\" fieldtype=\"string\"");
  EXPECT_EQ(MessageOf([&] { ReadDataPacket(Document("", activeAsString), t); }),
            "setServer: Type mismatch for field 'Active', expecting: Boolean actual: String");

  std::string wideName = kFields;
  wideName.replace(wideName.find("fieldtype=\"string\""), 18, "fieldtype=\"string.uni\"");
  EXPECT_EQ(MessageOf([&] { ReadDataPacket(Document("", wideName), t); }),
            "setServer: Type mismatch for field 'Name', expecting: String actual: WideString");
  EXPECT_FALSE(t.IsOpen());

  std::string smallTimeout = kFields;  // i2 and ui2 belong to the integer family
  smallTimeout.replace(smallTimeout.find("\"Timeout\" fieldtype=\"i4\""), 24,
                       "\"Timeout\" fieldtype=\"i2\"");
  ReadDataPacket(Document("<ROW Timeout=\"5\"/>", smallTimeout), t);
  EXPECT_NE(WriteDataPacket(t).find("attrname=\"Timeout\" fieldtype=\"i2\"/>"), std::string::npos);
}

TEST(ListFileReader, DeclaredWidthsNarrowerAndWider) {
  std::string fields = kFields;
  fields.replace(fields.find("WIDTH=\"200\""), 11, "WIDTH=\"5\"");
  fields.replace(fields.find("WIDTH=\"500\""), 11, "WIDTH=\"900\"");
  ServerTable t = MakeTable();
  ReadDataPacket(Document("<ROW Name=\"abcdefgh\" Url=\"" + std::string(700, 'u') + "\"/>", fields),
                 t);
  t.MoveFirst();
  EXPECT_EQ(t.GetText("Name"), "abcde");     // cut to the narrower declaration
  EXPECT_EQ(t.GetText("Url").size(), 700u);  // within the wider declaration
  t.BeginEdit();
  t.SetText("Name", "123456789");
  t.SetText("Url", std::string(800, 'v'));
  t.PostRow();
  EXPECT_EQ(t.GetText("Name"), "12345");
  EXPECT_EQ(t.GetText("Url").size(), 500u);  // new values: the record's own width
  const std::string doc = WriteDataPacket(t);
  EXPECT_NE(doc.find("attrname=\"Name\" fieldtype=\"string\" WIDTH=\"5\""), std::string::npos);
  EXPECT_NE(doc.find("attrname=\"Url\" fieldtype=\"string\" WIDTH=\"900\""), std::string::npos);
}

TEST(ListFileReader, ExtraDeclaredFieldsAreKeptAndWrittenBack) {
  const std::string extra =
      "<FIELD attrname=\"Group\" fieldtype=\"string\" WIDTH=\"20\"/>"
      "<FIELD attrname=\"Weight\" fieldtype=\"i4\"/>";
  ServerTable t = MakeTable();
  ReadDataPacket(Document("<ROW Name=\"a\" Group=\"web&amp;db\" Weight=\"3\" Unknown=\"x\"/>",
                          kFields + extra),
                 t);
  AddRow(t, "b");
  const std::string doc = WriteDataPacket(t);
  EXPECT_NE(doc.find(extra + kMiddle), std::string::npos);
  EXPECT_NE(doc.find("<ROW Name=\"a\" Group=\"web&amp;db\" Weight=\"3\"/><ROW Name=\"b\"/>"),
            std::string::npos)
      << doc;
}

TEST(ListFileOperations, OpenFailuresLeaveTheTableClosed) {
  test::TempDir dir;
  ServerTable t = MakeTable();
  t.FileName = dir.File("LTV.xml");
  EXPECT_EQ(MessageOf([&] { t.OpenList(); }), "setServer: Missing data provider or data packet");
  dir.Write("LTV.xml", "");
  EXPECT_EQ(MessageOf([&] { t.OpenList(); }), "setServer: Missing data provider or data packet");
  dir.Write("LTV.xml", "garbage");
  EXPECT_EQ(MessageOf([&] { t.OpenList(); }), "Mismatch in datapacket.");
  EXPECT_FALSE(t.IsOpen());
  EXPECT_EQ(dir.Read("LTV.xml"), "garbage");  // the file is untouched
  t.FileName.clear();
  EXPECT_EQ(MessageOf([&] { t.OpenList(); }), "setServer: Missing data provider or data packet");
}

TEST(ListFileOperations, OpenOnAnOpenTableDoesNothing) {
  test::TempDir dir;
  ServerTable t = MakeTable();
  t.FileName = dir.File("LTV.xml");
  t.CreateList();
  AddRow(t, "in memory");
  t.OpenList();  // no file exists, yet no failure: the table is open
  EXPECT_EQ(Names(t), Strings{"in memory"});
}

TEST(ListFileOperations, CloseListSavesOnlyWhenChangedOrGone) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  ServerTable t = MakeTable();
  t.FileName = dir.File("LTV.xml");
  t.CreateList();
  t.SaveList(t.FileName);
  const auto written = fs::last_write_time(t.FileName);
  EXPECT_FALSE(t.Changed());  // saving does not touch the flag
  dir.Write("marker", "");
  ServerTable reopened = MakeTable();
  reopened.FileName = t.FileName;
  reopened.OpenList();
  const std::string before = dir.Read("LTV.xml");
  fs::last_write_time(t.FileName, written - std::chrono::hours(1));
  const auto aged = fs::last_write_time(t.FileName);
  reopened.CloseList();
  EXPECT_EQ(dir.Read("LTV.xml"), before);
  EXPECT_EQ(fs::last_write_time(t.FileName), aged);  // untouched, not rewritten
  EXPECT_FALSE(reopened.IsOpen());

  reopened.OpenList();
  fs::remove(t.FileName);
  reopened.CloseList();  // the file is gone: written anew
  EXPECT_EQ(dir.Read("LTV.xml"), before);

  reopened.OpenList();
  AddRow(reopened, "x");
  reopened.CloseList();
  EXPECT_NE(dir.Read("LTV.xml").find("<ROW Name=\"x\"/>"), std::string::npos);
}

TEST(ListFileOperations, SavePostsAPendingEditFirst) {
  test::TempDir dir;
  ServerTable t = MakeTable();
  t.CreateList();
  AddRow(t, "a");
  t.BeginEdit();
  t.SetText("Url", "http://pending/");
  t.SaveList(dir.File("LTV.xml"));
  EXPECT_NE(dir.Read("LTV.xml").find("Url=\"http://pending/\""), std::string::npos);
  EXPECT_EQ(t.GetMode(), ServerTable::Mode::Browse);
}

TEST(ListFileSave, FailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
  test::TempDir dir;
  ServerTable t = MakeTable();
  FillExample(t);
  const std::string path = dir.File("missing") + platform::PathSeparator() + "LTV.xml";
  const std::string message = MessageOf([&] { t.SaveList(path); });
  EXPECT_EQ(message.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << message;
  EXPECT_GT(message.size(), ("Cannot create file \"" + path + "\". ").size());
  EXPECT_TRUE(dir.List().empty());
}

#ifndef _WIN32
// Runs `body` as an unprivileged user when the tests run as root (root ignores permissions).
int RunUnprivileged(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(ListFileSave, FolderWithoutWritePermission) {
  test::TempDir dir;
  namespace fs = std::filesystem;
  dir.Write("LTV.xml", "old list");
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::others_read |
                                  fs::perms::others_exec | fs::perms::group_read |
                                  fs::perms::group_exec);
  fs::permissions(dir.File("LTV.xml"), fs::perms::all);
  const int rc = RunUnprivileged([&] {
    ServerTable t = MakeTable();
    FillExample(t);
    try {
      t.SaveList(dir.File("LTV.xml"));
    } catch (const Error& e) {
      const std::string expected =
          "Cannot create file \"" + dir.File("LTV.xml") + "\". Permission denied";
      return std::string(e.what()) == expected ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(dir.Read("LTV.xml"), "old list");
  EXPECT_EQ(dir.List(), Strings{"LTV.xml"});
}

TEST(ListFileSave, ReadOnlyListFileIsNotReplaced) {
  test::TempDir dir;
  namespace fs = std::filesystem;
  dir.Write("LTV.xml", "old list");
  fs::permissions(dir.Path(), fs::perms::all);
  fs::permissions(dir.File("LTV.xml"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const int rc = RunUnprivileged([&] {
    ServerTable t = MakeTable();
    FillExample(t);
    try {
      t.SaveList(dir.File("LTV.xml"));
    } catch (const Error& e) {
      return std::string(e.what()).find("Permission denied") != std::string::npos ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(dir.Read("LTV.xml"), "old list");
  EXPECT_EQ(dir.List(), Strings{"LTV.xml"});
}
#else
TEST(ListFileSave, ReadOnlyListFileIsNotReplaced) {
  test::TempDir dir;
  namespace fs = std::filesystem;
  dir.Write("LTV.xml", "old list");
  fs::permissions(dir.File("LTV.xml"), fs::perms::owner_write, fs::perm_options::remove);
  ServerTable t = MakeTable();
  FillExample(t);
  const std::string message = MessageOf([&] { t.SaveList(dir.File("LTV.xml")); });
  EXPECT_EQ(message.rfind("Cannot create file \"" + dir.File("LTV.xml") + "\". ", 0), 0u)
      << message;
  EXPECT_EQ(dir.Read("LTV.xml"), "old list");
  EXPECT_EQ(dir.List(), Strings{"LTV.xml"});
  fs::permissions(dir.File("LTV.xml"), fs::perms::owner_write, fs::perm_options::add);
}
#endif

}  // namespace
}  // namespace lantervo
