#include "firebird/CreateDatabase.h"
#include "firebird/Database.h"
#include "firebird/DatabaseError.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"
#include "tests/common/Archive.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace kestrin::firebird {
namespace {

using testing::TempFolder;

class DatabaseLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDatabase(testing::ClientLibrary(), path_, kArchiveUser, kArchivePassword);
        Connect(database_);
        Transaction setup(database_);
        Query query(database_, setup);
        setup.StartTransaction();
        query.SetSQL("CREATE TABLE People (Id INTEGER NOT NULL, Name VARCHAR(60), Flag CHAR(1), "
                     "Amount INTEGER)");
        query.ExecQuery();
        setup.Commit();
        setup.StartTransaction();
        for (const char* row :
             {"(3, 'Carol', 'F', 30)", "(1, 'alice', NULL, NULL)", "(2, 'Bob', 'T', 20)"}) {
            query.SetSQL(std::string("INSERT INTO People VALUES ") + row);
            query.ExecQuery();
        }
        setup.Commit();
    }

    void Connect(Database& database) {
        database.DBName = path_;
        database.LibraryName = testing::ClientLibrary();
        database.DBParams = {std::string("isc_dpb_user_name=") + kArchiveUser,
                             std::string("isc_dpb_password=") + kArchivePassword};
        database.Open();
    }

    TempFolder folder_;
    std::string path_ = folder_ / "test.fdb";
    Database database_;
};

TEST_F(DatabaseLayerTest, CountScanOrderAndColumnNamesWithoutLetterCase) {
    Transaction read(database_);
    Query query(database_, read);
    read.StartTransaction();
    query.SetSQL("Select Count (*) From People");
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsInteger(), 3);
    query.Close();

    query.SetSQL("Select * from People ORDER by NAME asc");
    query.ExecQuery(); // the first row is there at once
    std::vector<std::string> names;
    while (!query.Eof()) {
        names.push_back(query.FieldByName("name").AsString() + "/" +
                        query.FieldByName("FLAG").AsString() + "/" +
                        std::to_string(query.FieldByName("Amount").AsInteger()));
        query.Next();
    }
    // Binary order; nulls read as empty and 0.
    EXPECT_EQ(names, (std::vector<std::string>{"Bob/T/20", "Carol/F/30", "alice//0"}));
    EXPECT_THROW(query.FieldByName("Missing"), EDatabaseError);
    read.Commit();
}

TEST_F(DatabaseLayerTest, CharPaddingIsDroppedAndVarcharBlanksKept) {
    Transaction write(database_);
    Query query(database_, write);
    write.StartTransaction();
    query.SetSQL("CREATE TABLE Padded (FixedText CHAR(6), VaryingText VARCHAR(6))");
    query.ExecQuery();
    write.Commit();
    write.StartTransaction();
    query.SetSQL("INSERT INTO Padded VALUES ('TEQ', 'TEQ  ')");
    query.ExecQuery();
    query.SetSQL("SELECT FixedText, VaryingText, FixedText || '|' FROM Padded");
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsString(), "TEQ");
    EXPECT_TRUE(query.Fields(0).IsFixedLengthText());
    EXPECT_EQ(query.Fields(1).AsString(), "TEQ  ");
    EXPECT_FALSE(query.Fields(1).IsFixedLengthText());
    EXPECT_EQ(query.Fields(2).AsString(), "TEQ   |"); // blanks inside a value are data
    write.Commit();
}

TEST_F(DatabaseLayerTest, ParametersCarryQuotesAndEveryHighByteExactly) {
    std::string bytes = "O'Neil '' \"";
    for (int b = 0x80; b <= 0xFF; b += 5) {
        bytes.push_back(static_cast<char>(b));
    }
    Transaction write(database_);
    Query insert(database_, write);
    write.StartTransaction();
    insert.SetSQL("INSERT INTO People (Id, Name) VALUES (?, ?)");
    insert.SetParam(0, std::int64_t{9});
    insert.SetParam(1, bytes);
    insert.ExecQuery();
    insert.Close();
    // Executed again without a new prepare.
    insert.SetParam(0, std::int64_t{10});
    insert.SetParamNull(1);
    insert.ExecQuery();

    Query select(database_, write);
    select.SetSQL("SELECT Id FROM People WHERE Name = ?");
    select.SetParam(0, bytes);
    select.ExecQuery();
    ASSERT_FALSE(select.Eof());
    EXPECT_EQ(select.Fields(0).AsInteger(), 9);
    select.SetSQL("SELECT Name FROM People WHERE Id = ?");
    select.SetParam(0, std::int64_t{9});
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), bytes);
    write.Commit();
    EXPECT_TRUE(select.Eof()); // the statement closed with its transaction
}

TEST_F(DatabaseLayerTest, CommittedChangesBecomeVisibleToTheOtherTransaction) {
    Transaction read(database_);
    Transaction update(database_);
    Query count(database_, read);
    Query change(database_, update);
    read.StartTransaction();
    update.StartTransaction();
    update.StartTransaction(); // already active: nothing happens
    change.SetSQL("DELETE FROM People WHERE Id = 2");
    change.ExecQuery();
    count.SetSQL("SELECT COUNT(*) FROM People");
    count.ExecQuery();
    EXPECT_EQ(count.Fields(0).AsInteger(), 3);
    update.Commit();
    EXPECT_FALSE(update.Active());
    count.Close();
    count.ExecQuery();
    EXPECT_EQ(count.Fields(0).AsInteger(), 2); // read committed
    read.Commit();
}

TEST_F(DatabaseLayerTest, ReadingErrorsAreDatabaseErrors) {
    Transaction read(database_);
    Query query(database_, read);
    read.StartTransaction();
    query.SetSQL("SELECT Name FROM People WHERE Id = 3");
    query.ExecQuery();
    EXPECT_THROW(query.Fields(0).AsInteger(), EDatabaseError); // 'Carol' is no integer
    EXPECT_THROW(query.Fields(1), EDatabaseError);
    query.SetSQL("SELECT Nonsense FROM People");
    try {
        query.ExecQuery();
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("NONSENSE"), std::string::npos) << error.what();
    }
    read.Commit();
    EXPECT_THROW(read.Commit(), EDatabaseError); // committing twice is an error
}

TEST(DatabaseConnection, FailuresCarryFirebirdsOwnText) {
    TempFolder folder;
    testing::WriteBytes(folder / "not-a-database.fdb", std::string(8192, 'x'));
    struct Case {
        std::string file;
        std::string library;
        std::string expected;
    };
    const Case cases[] = {
        {folder / "missing.fdb", testing::ClientLibrary(), "I/O error"},
        {folder / "not-a-database.fdb", testing::ClientLibrary(), "not a valid database"},
        {folder / "missing.fdb", folder / "no-library.so",
         "Cannot load the database client library"},
    };
    for (const Case& c : cases) {
        Database database;
        database.DBName = c.file;
        database.LibraryName = c.library;
        database.DBParams = {std::string("isc_dpb_user_name=") + kArchiveUser,
                             std::string("isc_dpb_password=") + kArchivePassword};
        try {
            database.Open();
            FAIL() << c.file << " opened";
        } catch (const EDatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(database.Connected());
    }
}

} // namespace
} // namespace kestrin::firebird
