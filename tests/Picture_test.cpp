#include "picture/LoadImageFile.h"
#include "picture/Picture.h"
#include "support/PictureWriters.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using tarvo::TDecoderKind;
using tarvo::TGraphicKind;
using tarvo::TLoadImageFile;
using tarvo::TPicture;
namespace tp = tarvo::testpic;

TEST(PictureContainer, PicksTheDecoderByExtensionIgnoringCase) {
    struct TCase {
        const char* Ext;
        TDecoderKind Decoder;
    };
    const TCase cases[] = {
        {"png", TDecoderKind::Png},   {"PNG", TDecoderKind::Png},   {"pNg", TDecoderKind::Png},
        {"jpg", TDecoderKind::Jpeg},  {"JPG", TDecoderKind::Jpeg},  {"jpeg", TDecoderKind::Jpeg},
        {"JPEG", TDecoderKind::Jpeg}, {"gif", TDecoderKind::Gif},   {"GIF", TDecoderKind::Gif},
        {"bmp", TDecoderKind::Bmp},   {"BMP", TDecoderKind::Bmp},   {"dib", TDecoderKind::Bmp},
        {"Dib", TDecoderKind::Bmp},   {"webp", TDecoderKind::Webp}, {"WebP", TDecoderKind::Webp},
        {"", TDecoderKind::None},     {".png", TDecoderKind::None}, {"pngx", TDecoderKind::None},
        {"jp", TDecoderKind::None},   {"ico", TDecoderKind::None},  {"tif", TDecoderKind::None},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(tarvo::DecoderForExtension(c.Ext), c.Decoder) << c.Ext;
}

TEST(PictureContainer, ExtractsTheExtensionOfTheFileNameWithItsDot) {
    struct TCase {
        const char* Path;
        const char* Ext;
    };
    const TCase cases[] = {
        {"/a/b.png", ".png"}, {"/a/b.tar.GZ", ".GZ"}, {"/a/b", ""},   {"/a.d/b", ""},
        {"b.jpeg", ".jpeg"},  {"/a/.png", ".png"},    {"/a/b.", "."}, {"", ""},
        {"/a.d/", ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(tarvo::ExtractFileExt(c.Path), c.Ext) << c.Path;
}

TEST(PictureContainer, TheContentNeverChoosesTheDecoder) {
    const std::vector<tp::TRgba> pixels(4, {1, 2, 3, 255});
    const tp::TBytes png = tp::WritePngRgb(2, 2, pixels);
    TPicture picture;
    EXPECT_TRUE(picture.LoadFromBytes("png", png));
    EXPECT_EQ(picture.Graphic(), TGraphicKind::Bitmap);
    EXPECT_FALSE(picture.LoadFromBytes("jpg", png));
    EXPECT_TRUE(picture.Empty());
    EXPECT_FALSE(picture.LoadFromBytes("gif", png));
    EXPECT_FALSE(picture.LoadFromBytes("bmp", png));
    EXPECT_FALSE(picture.LoadFromBytes("webp", png));
    EXPECT_EQ(picture.Width(), 0);
}

class LoadImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvo-pic-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(FDir, ec);
    }
    std::string Put(const std::string& name, const tp::TBytes& bytes) {
        const std::string path = FDir + "/" + name;
        EXPECT_TRUE(tp::WriteFileBytes(path, bytes));
        return path;
    }
    static tp::TBytes Png(int w, int h) {
        return tp::WritePngRgb(
            w, h, std::vector<tp::TRgba>(static_cast<std::size_t>(w * h), {9, 8, 7, 255}));
    }
    static tp::TBytes Gif(int w, int h) {
        tp::TGif gif{w, h, 0, {{0, 0, 0}, {255, 255, 255}}, {}};
        tp::TGifFrame f{0, 0, w, h, false, -1, {}, tp::TBytes(static_cast<std::size_t>(w * h), 1)};
        gif.Frames.push_back(f);
        return tp::WriteGif(gif);
    }
    std::string FDir;
};

TEST_F(LoadImageFile, StartsWithoutImageAndWithZeroSizes) {
    const TLoadImageFile loader;
    EXPECT_EQ(loader.Image, nullptr);
    EXPECT_EQ(loader.Width, 0);
    EXPECT_EQ(loader.Height, 0);
    EXPECT_EQ(loader.GrafKind, 0);
}

TEST_F(LoadImageFile, LoadsEachFormatByItsExtension) {
    const std::vector<tp::TRgba> rgb(12 * 5, {200, 100, 50, 255});
    tp::TBmp bmp;
    bmp.Width = 7;
    bmp.Height = 3;
    bmp.BitCount = 24;
    bmp.Pixels = tp::BmpRows(7, 3, 24, false, [](int, int) { return 0x123456u; });
    struct TCase {
        std::string Name;
        tp::TBytes Bytes;
        int Width, Height;
        TGraphicKind Graphic;
    };
    const TCase cases[] = {
        {"a.png", Png(6, 4), 6, 4, TGraphicKind::Bitmap},
        {"b.PNG", Png(3, 9), 3, 9, TGraphicKind::Bitmap},
        {"c.jpg", tp::WriteJpeg(12, 5, rgb, 90, TJSAMP_420), 12, 5, TGraphicKind::Jpeg},
        {"d.JPEG", tp::WriteJpeg(12, 5, rgb, 90, TJSAMP_420), 12, 5, TGraphicKind::Jpeg},
        {"e.gif", Gif(5, 2), 5, 2, TGraphicKind::Bitmap},
        {"f.GIF", Gif(2, 5), 2, 5, TGraphicKind::Bitmap},
        {"g.bmp", tp::WriteBmp(bmp), 7, 3, TGraphicKind::Bitmap},
        {"h.dib", tp::WriteBmp(bmp), 7, 3, TGraphicKind::Bitmap},
        {"i.several.dots.png", Png(2, 2), 2, 2, TGraphicKind::Bitmap},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLoadImageFile loader;
        EXPECT_TRUE(loader.LoadPicture(Put(c.Name, c.Bytes)));
        ASSERT_NE(loader.Image, nullptr);
        EXPECT_EQ(loader.Image->Graphic(), c.Graphic);
        EXPECT_EQ(loader.Width, c.Width);
        EXPECT_EQ(loader.Height, c.Height);
    }
}

TEST_F(LoadImageFile, FailsQuietlyForUnknownOrWrongContent) {
    struct TCase {
        std::string Name;
        tp::TBytes Bytes;
    };
    const TCase cases[] = {
        {"a.webp", Png(2, 2)}, {"b.WEBP", Png(2, 2)},    {"c.gif", Png(2, 2)},
        {"d.png", Gif(2, 2)},  {"e.jpg", Png(2, 2)},     {"f.bmp", Png(2, 2)},
        {"g.png", {}},         {"h.png.txt", Png(2, 2)}, {"i.", Png(2, 2)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLoadImageFile loader;
        EXPECT_FALSE(loader.LoadPicture(Put(c.Name, c.Bytes)));
        EXPECT_EQ(loader.Image, nullptr);
        EXPECT_EQ(loader.Width, 0);
        EXPECT_EQ(loader.Height, 0);
    }
}

TEST_F(LoadImageFile, FailsForMissingFilesFoldersAndFifos) {
    std::filesystem::create_directory(FDir + "/folder.png");
    const std::string fifo = FDir + "/pipe.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {FDir + "/missing.png", FDir + "/folder.png", fifo}) {
        SCOPED_TRACE(path);
        TLoadImageFile loader;
        EXPECT_FALSE(loader.LoadPicture(path)); // a FIFO must not block the call
        EXPECT_EQ(loader.Image, nullptr);
    }
}

TEST_F(LoadImageFile, ANameWithoutExtensionChangesNothing) {
    TLoadImageFile loader;
    ASSERT_TRUE(loader.LoadPicture(Put("first.png", Png(4, 3))));
    const TPicture* before = loader.Image.get();
    EXPECT_FALSE(loader.LoadPicture(Put("noext", Png(8, 8))));
    EXPECT_EQ(loader.Image.get(), before);
    EXPECT_EQ(loader.Width, 4);
    EXPECT_EQ(loader.Height, 3);
}

TEST_F(LoadImageFile, AFailedLoadAfterASuccessfulOneDropsTheImageAndSizes) {
    TLoadImageFile loader;
    ASSERT_TRUE(loader.LoadPicture(Put("first.png", Png(4, 3))));
    EXPECT_FALSE(loader.LoadPicture(Put("second.webp", Png(4, 3))));
    EXPECT_EQ(loader.Image, nullptr);
    EXPECT_EQ(loader.Width, 0);
    EXPECT_EQ(loader.Height, 0);
}

TEST_F(LoadImageFile, GrafKindNeverChangesTheDecoder) {
    for (const int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        TLoadImageFile jpegNamedJpg;
        jpegNamedJpg.GrafKind = kind;
        EXPECT_TRUE(jpegNamedJpg.LoadPicture(
            Put("x.jpg", tp::WriteJpeg(8, 8, std::vector<tp::TRgba>(64), 90, TJSAMP_444))));
        EXPECT_EQ(jpegNamedJpg.GrafKind, kind);
        TLoadImageFile pngNamedJpg;
        pngNamedJpg.GrafKind = kind;
        EXPECT_FALSE(pngNamedJpg.LoadPicture(Put("y.jpg", Png(2, 2))));
    }
}

TEST_F(LoadImageFile, AnAnimatedGifGivesItsFirstFrame) {
    tp::TGif gif{3, 1, 0, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {}};
    gif.Frames.push_back({0, 0, 3, 1, false, -1, {}, {1, 2, 3}});
    gif.Frames.push_back({0, 0, 3, 1, false, -1, {}, {3, 3, 3}});
    TLoadImageFile loader;
    ASSERT_TRUE(loader.LoadPicture(Put("anim.Gif", tp::WriteGif(gif))));
    const tarvo::TBitmap& b = loader.Image->Bitmap();
    EXPECT_EQ(b.Row(0)[0], 1);
    EXPECT_EQ(b.Row(0)[1], 2);
    EXPECT_EQ(b.Row(0)[2], 3);
}

} // namespace
