#include "download/FileNames.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

TEST(FileNames, NumberTheRowAndKeepTheExtension) {
    struct Case {
        size_t row;
        std::string address;
        std::string fileName;
    } cases[] = {
        {0, "http://p.voyanta.com/n/a1.jpeg", "1.jpeg"},
        {11, "https://p.voyanta.com/n/b.png", "12.png"},
        {0, "http://p.voyanta.com/abc.JPG", "1.JPG"},
        {4, "http://p.voyanta.com/n/pic.tar.gz", "5.gz"},
        {0, "http", "1"},
        {0, "http://localhost/pic", "1"},
        // The "." is the host's or a folder's: the name is the number alone, never a path.
        {0, "http://p.voyanta.com/n/pic", "1"},
        {0, "http://p.voyanta.com/a.b/c", "1"},
        {0, "http://h/x..\\..\\..\\evil", "1"},
        {0, "http://h/x.\\..\\win", "1"},
        // Tails Windows would refuse or read as a stream or device: the number alone.
        {0, "http://h/a.jpg:stream", "1"},
        {0, "http://h/a.jpg?x=1", "1"},
        {0, "http://h/a.jpg\"", "1"},
        {0, std::string("http://h/a.j\0pg", 15), "1"},
        {0, "http://h/a.jp\tg", "1"},
        {0, "http://h/a.jpg?v=1.2", "1.2"},               // the last "." counts, also in a query
        {0, "http://h/\xCD\xBC.\xCD\xBC", "1.\xCD\xBC"},  // code page 936 bytes are kept
        {0, "http://h/a.\xB1\x5C", "1"},  // a 0x5C byte, even inside a double-byte character, is refused
        {2147483647, "http://h/a.jpg", "2147483648.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeFileName(c.row, c.address), c.fileName) << "row " << c.row << ", address: " << c.address;
    }
}

TEST(FileNames, AreAlwaysOneValidNameWhateverTheAddress) {
    std::string alphabet = "./\\:*?\"<>|a1 \x7F\xCD\x1F";
    alphabet += '\0';
    std::mt19937 random(77);
    for (int round = 0; round < 20000; ++round) {
        std::string address = "http://";
        const size_t length = random() % 12;
        for (size_t i = 0; i < length; ++i) address += alphabet[random() % alphabet.size()];
        const std::string name = MakeFileName(8, address);
        ASSERT_EQ(name.rfind("9", 0), 0u) << address;
        EXPECT_FALSE(HasForbiddenNameByte(name)) << "address: " << address << " name: " << name;
        EXPECT_TRUE(name == "9" || name[1] == '.') << "address: " << address << " name: " << name;
    }
}

TEST(FileNames, FoldersFromTheExecutableAndTheNote) {
    EXPECT_EQ(PicturesRootFolder("C:\\Tools\\"), "C:\\Tools\\DadAzizEzaz");
    EXPECT_EQ(DefaultFolder("C:\\Tools\\"), "C:\\Tools\\DadAzizEzaz\\");
    EXPECT_EQ(NoteFolder("C:\\Tools\\", "123"), "C:\\Tools\\DadAzizEzaz\\123\\");
    EXPECT_EQ(NoteFolder("C:\\Tools\\", ""), "C:\\Tools\\DadAzizEzaz\\");
    // A note id that would leave the default folder, nest folders or be refused by Windows.
    for (const char* id : {"i/123", "..", ".", " . ", "..\\..\\Windows", "a:b", "x*", "a\x01"}) {
        EXPECT_EQ(NoteFolder("C:\\Tools\\", id), "C:\\Tools\\DadAzizEzaz\\") << "note id: " << id;
    }
    EXPECT_EQ(NoteFolder("C:\\Tools\\", "12.3"), "C:\\Tools\\DadAzizEzaz\\12.3\\");
}

TEST(FileNames, AFolderTypedIntoTheBoxIsAFolder) {
    EXPECT_EQ(FolderFromBoxText("D:\\pics"), "D:\\pics\\");
    EXPECT_EQ(FolderFromBoxText("D:\\pics\\"), "D:\\pics\\");
    EXPECT_EQ(FolderFromBoxText("D:/pics/"), "D:/pics/");
    EXPECT_EQ(FolderFromBoxText("D:"), "D:\\");
    EXPECT_EQ(FolderFromBoxText(""), "");
    EXPECT_EQ(TargetPath(FolderFromBoxText("D:\\pics"), MakeFileName(0, "http://h/a.jpeg")), "D:\\pics\\1.jpeg");
    EXPECT_EQ(TargetPath(FolderFromBoxText("D:\\pics"), MakeFileName(1, "http://h/b.jpeg")), "D:\\pics\\2.jpeg");
    EXPECT_EQ(TargetPath(NoteFolder("C:\\T\\", "9"), MakeFileName(0, "http://h.com/x")), "C:\\T\\DadAzizEzaz\\9\\1");
}
