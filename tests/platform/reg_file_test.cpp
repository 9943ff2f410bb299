#include "platform/reg_file.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/utf.h"

namespace lantervo::platform {
namespace {

const char kKeyPath[] = "HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo";

// A file a person could have written by hand, with every value type and the format's liberties.
const char kHandMade[] =
    "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; settings of the monitor\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo]\n"
    "\"Version\"=\"0.9.19\"\n"
    "\"LogFile\"=\"C:\\\\logs\\\\\\\"quoted\\\" Žluťoučký.log\"\n"
    "\"CheckUpdate\"=dword:00000001\n"
    "\"Big\"=dword:FFFFFFFF\n"
    "\"Short\"=dword:7\n"
    "\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,\\\n"
    "  00,00\n"
    "\"Blob\"=hex:01,02, ff\n"
    "\"Multi\"=hex(7):61,00,00,00,00,00\n"
    "\"Empty\"=hex:\n"
    "@=\"default\"   \n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
    "\"version\"=\"first\"\n"
    "[hkey_local_machine\\software\\other]\n"
    "\"VERSION\"=\"merged\"\n";

TEST(RegFile, ReadsAHandMadeFileWithEveryValueType) {
  const auto store = ParseRegFile(kHandMade);
  ASSERT_TRUE(store);
  ASSERT_EQ(store->Keys().size(), 2u);
  const RegKey* key = store->FindKey("hkey_local_machine\\SOFTWARE\\quorvik media\\lantervo");
  ASSERT_NE(key, nullptr);
  auto decoded = [&](const char* name) {
    const RegValue* v = key->Find(name);
    EXPECT_NE(v, nullptr) << name;
    return v ? DecodeRegistryValue(v->type, v->data) : RegistryValue{};
  };
  EXPECT_EQ(decoded("Version").type, RegistryType::String);
  EXPECT_EQ(decoded("Version").text, "0.9.19");
  EXPECT_EQ(decoded("LogFile").text, "C:\\logs\\\"quoted\" Žluťoučký.log");
  EXPECT_EQ(decoded("CheckUpdate").type, RegistryType::DWord);
  EXPECT_EQ(decoded("CheckUpdate").dword, 1u);
  EXPECT_EQ(decoded("Big").dword, 0xFFFFFFFFu);
  EXPECT_EQ(decoded("Short").dword, 7u);
  EXPECT_EQ(decoded("Expand").type, RegistryType::ExpandString);
  EXPECT_EQ(decoded("Expand").text, "%TEMP%");
  EXPECT_EQ(decoded("Blob").type, RegistryType::Other);
  EXPECT_EQ(decoded("Blob").nativeType, kRegBinary);
  EXPECT_EQ(key->Find("Blob")->data, "\x01\x02\xFF");
  EXPECT_EQ(decoded("Multi").nativeType, 7u);
  EXPECT_EQ(key->Find("Empty")->data, "");
  EXPECT_EQ(decoded("").text, "default");

  const RegKey* other = store->FindKey("HKEY_LOCAL_MACHINE\\Software\\Other");
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(other->values.size(), 1u);
  EXPECT_EQ(other->values[0].name, "version");  // first spelling kept, last data wins
  EXPECT_EQ(DecodeRegString(other->values[0].data), "merged");
}

TEST(RegFile, ReadsRegeditsUtf16Export) {
  const std::string utf8 =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"Š\"=\"€\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : Utf8ToUtf16(utf8)) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  const auto store = ParseRegFile(utf16);
  ASSERT_TRUE(store);
  EXPECT_EQ(DecodeRegString(store->FindKey("HKEY_LOCAL_MACHINE\\A")->Find("Š")->data), "€");
}

TEST(RegFile, RejectsWhatIsNotAStore) {
  const std::string head = "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n";
  for (const std::string& text : {
           std::string(),
           std::string("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"),
           std::string("\"a\"=\"b\"\r\n"),
           std::string(
               "Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n"),  // value before key
           std::string("Windows Registry Editor Version 5.00\r\n[-HKEY_LOCAL_MACHINE\\A]\r\n"),
           std::string("Windows Registry Editor Version 5.00\r\n[]\r\n"),
           std::string("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A\r\n"),
           head + "\"a\"=-\r\n",
           head + "\"a\"=\"unterminated\r\n",
           head + "\"a\"=\"bad \\n escape\"\r\n",
           head + "\"a\"=\"x\" trailing\r\n",
           head + "\"a\"=dword:123456789\r\n",
           head + "\"a\"=dword:\r\n",
           head + "\"a\"=dword:12g4\r\n",
           head + "\"a\"=hex:1,2\r\n",
           head + "\"a\"=hex:01,,02\r\n",
           head + "\"a\"=hex(2:00\r\n",
           head + "\"a\"=hex(123456789):00\r\n",
           head + "\"a\"=text\r\n",
           head + "\"a\"\r\n",
           head + "a=\"b\"\r\n",
       })
    EXPECT_FALSE(ParseRegFile(text)) << text;
}

TEST(RegFile, WritesEachTypeInItsReadableForm) {
  RegStore store;
  RegKey& key = store.AddKey(kKeyPath);
  key.Set("Version", kRegSz, EncodeRegString("0.9.19"));
  key.Set("Path", kRegSz, EncodeRegString("C:\\a \"b\""));
  key.Set("CheckUpdate", kRegDword, EncodeRegDword(0xA1B2C3D4));
  key.Set("Expand", kRegExpandSz, EncodeRegString("%A%"));
  key.Set("Blob", kRegBinary, std::string("\x00\xff", 2));
  key.Set("Odd", 0x20, "");
  key.Set("Lines", kRegSz, EncodeRegString("a\r\nb"));
  key.Set("", kRegSz, EncodeRegString("d"));
  store.AddKey("HKEY_LOCAL_MACHINE\\Empty");
  EXPECT_EQ(FormatRegFile(store),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo]\r\n"
            "\"Version\"=\"0.9.19\"\r\n"
            "\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n"
            "\"CheckUpdate\"=dword:a1b2c3d4\r\n"
            "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"Blob\"=hex:00,ff\r\n"
            "\"Odd\"=hex(20):\r\n"
            "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"
            "@=\"d\"\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Empty]\r\n"
            "\r\n");
  EXPECT_EQ(ParseRegFile(FormatRegFile(store)), store);
}

TEST(RegFile, TextThatQuotesCannotCarryIsWrittenAsBytes) {
  RegStore store;
  RegKey& key = store.AddKey("HKEY_LOCAL_MACHINE\\A");
  key.Set("nul", kRegSz, EncodeRegString("a") + EncodeRegString("b"));  // data after the NUL
  key.Set("odd", kRegSz, "a");                                          // odd length
  key.Set("surrogate", kRegSz, std::string("\x00\xD8\x00\x00", 4));     // lone surrogate
  key.Set("shortdword", kRegDword, "\x01");
  const std::string text = FormatRegFile(store);
  EXPECT_EQ(text.find("=\""), std::string::npos) << text;
  EXPECT_EQ(ParseRegFile(text), store);
}

TEST(RegFile, NamesAndPathsTheTextFormCannotHold) {
  EXPECT_TRUE(IsStorableValueName(""));
  EXPECT_TRUE(IsStorableValueName("a \"b\" \\ [c]"));
  EXPECT_FALSE(IsStorableValueName("a\nb"));
  EXPECT_FALSE(IsStorableValueName("a\rb"));
  EXPECT_FALSE(IsStorableValueName(std::string("a\0b", 3)));
  EXPECT_TRUE(IsStorableKeyPath("HKEY_LOCAL_MACHINE\\A]B"));
  EXPECT_FALSE(IsStorableKeyPath(""));
  EXPECT_FALSE(IsStorableKeyPath("-HKEY_LOCAL_MACHINE\\A"));
  EXPECT_FALSE(IsStorableKeyPath("HKEY_LOCAL_MACHINE\\A\\"));
}

}  // namespace
}  // namespace lantervo::platform
