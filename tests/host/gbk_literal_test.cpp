// Compiled with -fexec-charset=GBK, as the installer's sources with Chinese texts are.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

std::string Utf8ToGbk(const std::string &utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() * 2, '\0');
  char *in = const_cast<char *>(utf8.data()), *op = &out[0];
  size_t il = utf8.size(), ol = out.size();
  size_t r = iconv(cd, &in, &il, &op, &ol);
  iconv_close(cd);
  EXPECT_NE(r, static_cast<size_t>(-1));
  out.resize(out.size() - ol);
  return out;
}

TEST(GbkLiterals, EqualIconvsGbk) {
  struct Pair {
    const char *gbk;
    const char *utf8;
  };
  const Pair pairs[] = {
      {"下一步 Next", u8"下一步 Next"},
      {"同意/安装 Agree/Install", u8"同意/安装 Agree/Install"},
      {"内存不够。安装无法继续。", u8"内存不够。安装无法继续。"},
      {"《Quorbix》", u8"《Quorbix》"},
      {"安装路径： (Install Path)", u8"安装路径： (Install Path)"},
  };
  for (const Pair &p : pairs)
    EXPECT_EQ(std::string(p.gbk), Utf8ToGbk(p.utf8)) << p.utf8;
  EXPECT_EQ(std::string("汉"), std::string("\xBA\xBA"));
}

} // namespace
