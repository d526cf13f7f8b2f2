#include "platform/system/RegistryCalls.h"
#include "platform/system/SpecialFolders.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

using namespace sys;

namespace {

class RegistryStoreTest : public ::testing::Test {
protected:
    QString storePath() const { return m_folder.filePath(QStringLiteral("reg/registry.json")); }

    // Creates a key under the root and writes its default value, closing the handle.
    void writeDefault(RegistryStore& store, const QString& path, const QString& data)
    {
        HKEY key = 0;
        ASSERT_EQ(store.createKey(HKEY_CLASSES_ROOT, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        ASSERT_EQ(store.setValue(key, QString(), REG_SZ, data), ERROR_SUCCESS);
        ASSERT_EQ(store.closeKey(key), ERROR_SUCCESS);
    }

    QString readDefault(RegistryStore& store, const QString& path)
    {
        HKEY key = 0;
        if (store.openKey(HKEY_CLASSES_ROOT, path, KEY_READ, key) != ERROR_SUCCESS)
            return QStringLiteral("<no key>");
        QString data;
        quint32 size = 1000;
        const long result = store.queryValue(key, QString(), nullptr, &data, &size);
        store.closeKey(key);
        return result == ERROR_SUCCESS ? data : QStringLiteral("<no value>");
    }

    testsupport::TempFolder m_folder;
};

TEST_F(RegistryStoreTest, CreateSetQueryCloseRoundTripWithResultCodes)
{
    RegistryStore store(storePath());
    HKEY key = 0;
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral(".wmdf"), KEY_ALL_ACCESS, key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_NE(key, 0u);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(store.setValue(key, QString(), REG_SZ, QStringLiteral("wmdf_ext")), ERROR_SUCCESS);

    quint32 type = REG_NONE;
    quint32 size = 0;
    EXPECT_EQ(store.queryValue(key, QString(), &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 9u);  // eight characters and the terminator

    QString data = QStringLiteral("untouched");
    size = 8;
    EXPECT_EQ(store.queryValue(key, QString(), nullptr, &data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(data, QStringLiteral("untouched"));

    EXPECT_EQ(store.queryValue(key, QString(), nullptr, &data, &size), ERROR_SUCCESS);
    EXPECT_EQ(data, QStringLiteral("wmdf_ext"));
    EXPECT_EQ(store.queryValue(key, QString(), nullptr, &data, nullptr), ERROR_INVALID_PARAMETER);

    EXPECT_EQ(store.closeKey(key), ERROR_SUCCESS);
    EXPECT_EQ(store.closeKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(store.setValue(key, QString(), REG_SZ, QStringLiteral("x")), ERROR_INVALID_HANDLE);

    ASSERT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral(".wmdf"), KEY_ALL_ACCESS, key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(store.setValue(key, QStringLiteral("Content"), REG_SZ, QString()), ERROR_SUCCESS);
    EXPECT_EQ(store.queryValue(key, QStringLiteral("content"), nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 1u);
    store.closeKey(key);
}

TEST_F(RegistryStoreTest, NamesAreCaseInsensitiveAndKeepTheirCase)
{
    RegistryStore store(storePath());
    HKEY key = 0;
    ASSERT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("Wmdf_Ext\\Shell\\Open\\Command"),
                              KEY_ALL_ACCESS, key),
              ERROR_SUCCESS);
    store.setValue(key, QStringLiteral("Name"), REG_SZ, QStringLiteral("v"));
    store.closeKey(key);

    // A sub-key created through a handle lands below that handle's key.
    HKEY parent = 0;
    ASSERT_EQ(
        store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("WMDF_EXT\\shell"), KEY_ALL_ACCESS, parent),
        ERROR_SUCCESS);
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(parent, QStringLiteral("OPEN\\command\\"), KEY_ALL_ACCESS, key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    QString data;
    quint32 size = 10;
    EXPECT_EQ(store.queryValue(key, QStringLiteral("NAME"), nullptr, &data, &size), ERROR_SUCCESS);
    EXPECT_EQ(data, QStringLiteral("v"));
    store.closeKey(key);
    EXPECT_EQ(store.subKeyNames(parent), QStringList{QStringLiteral("Open")});
    store.closeKey(parent);
    EXPECT_EQ(store.subKeyNames(HKEY_CLASSES_ROOT), QStringList{QStringLiteral("Wmdf_Ext")});
}

TEST_F(RegistryStoreTest, MissingKeysValuesAndBadNames)
{
    RegistryStore store(storePath());
    HKEY key = 77;
    EXPECT_EQ(store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("nothing"), KEY_READ, key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("\\lead"), KEY_ALL_ACCESS, key),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("a\\\\b"), KEY_ALL_ACCESS, key),
              ERROR_BAD_PATHNAME);
    EXPECT_FALSE(QFile::exists(storePath()));

    ASSERT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("type"), KEY_ALL_ACCESS, key),
              ERROR_SUCCESS);
    quint32 size = 0;
    // A key without a default value reports it missing, as a named value never written.
    EXPECT_EQ(store.queryValue(key, QString(), nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.queryValue(key, QStringLiteral("other"), nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.setValue(key, QString(), 4 /* a number */, QStringLiteral("1")),
              ERROR_INVALID_PARAMETER);
    store.closeKey(key);
}

TEST_F(RegistryStoreTest, HandlesGrantOnlyTheAccessAskedFor)
{
    RegistryStore store(storePath());
    writeDefault(store, QStringLiteral("type"), QStringLiteral("old"));
    HKEY key = 0;
    ASSERT_EQ(store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("type"), KEY_READ, key),
              ERROR_SUCCESS);
    EXPECT_EQ(store.setValue(key, QString(), REG_SZ, QStringLiteral("new")), ERROR_ACCESS_DENIED);
    HKEY child = 0;
    EXPECT_EQ(store.createKey(key, QStringLiteral("child"), KEY_ALL_ACCESS, child),
              ERROR_ACCESS_DENIED);
    store.closeKey(key);
    EXPECT_EQ(readDefault(store, QStringLiteral("type")), QStringLiteral("old"));
}

TEST_F(RegistryStoreTest, PersistsAcrossStoreInstances)
{
    {
        RegistryStore first(storePath());
        writeDefault(first, QStringLiteral(".wmdf"), QStringLiteral("wmdf_ext"));
        writeDefault(first, QStringLiteral("wmdf_ext\\DefaultIcon"), QStringLiteral("/m/1.ico"));
    }
    RegistryStore second(storePath());
    EXPECT_EQ(readDefault(second, QStringLiteral(".WMDF")), QStringLiteral("wmdf_ext"));
    EXPECT_EQ(readDefault(second, QStringLiteral("wmdf_ext\\defaulticon")),
              QStringLiteral("/m/1.ico"));
    EXPECT_EQ(readDefault(second, QStringLiteral("wmdf_ext")), QStringLiteral("<no value>"));

    // Two live stores on one file see each other's changes; the later write wins.
    RegistryStore third(storePath());
    writeDefault(second, QStringLiteral(".wmdf"), QStringLiteral("changed"));
    EXPECT_EQ(readDefault(third, QStringLiteral(".wmdf")), QStringLiteral("changed"));
}

TEST_F(RegistryStoreTest, DamagedFileReadsEmptyAndIsReplacedOnWrite)
{
    testsupport::TempFolder folder;
    const QString path = folder.filePath(QStringLiteral("registry.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"format\": \"scrivet-registry\", \"keys\": [ {\"path\": 12}, {\"pa");
    file.close();

    RegistryStore store(path);
    EXPECT_TRUE(store.subKeyNames(HKEY_CLASSES_ROOT).isEmpty());
    writeDefault(store, QStringLiteral("k"), QStringLiteral("v"));
    RegistryStore reread(path);
    EXPECT_EQ(readDefault(reread, QStringLiteral("k")), QStringLiteral("v"));
}

TEST_F(RegistryStoreTest, DeletesLeafKeysAndValuesOnly)
{
    RegistryStore store(storePath());
    writeDefault(store, QStringLiteral("a\\b"), QStringLiteral("v"));
    HKEY open = 0;
    ASSERT_EQ(store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("a\\b"), KEY_ALL_ACCESS, open),
              ERROR_SUCCESS);

    EXPECT_EQ(store.deleteKey(HKEY_CLASSES_ROOT, QStringLiteral("a")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(store.deleteKey(HKEY_CLASSES_ROOT, QStringLiteral("a\\missing")),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.deleteKey(HKEY_CLASSES_ROOT, QString()), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(store.deleteValue(open, QStringLiteral("none")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.deleteValue(open, QString()), ERROR_SUCCESS);
    EXPECT_EQ(readDefault(store, QStringLiteral("a\\b")), QStringLiteral("<no value>"));

    EXPECT_EQ(store.deleteKey(HKEY_CLASSES_ROOT, QStringLiteral("A\\B")), ERROR_SUCCESS);
    EXPECT_EQ(store.setValue(open, QString(), REG_SZ, QStringLiteral("x")), ERROR_KEY_DELETED);
    EXPECT_EQ(store.closeKey(open), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteKey(HKEY_CLASSES_ROOT, QStringLiteral("a")), ERROR_SUCCESS);
    EXPECT_TRUE(store.subKeyNames(HKEY_CLASSES_ROOT).isEmpty());
}

TEST_F(RegistryStoreTest, RefusingStoreFailsWithoutChangingAnything)
{
    RegistryStore store(storePath());
    writeDefault(store, QStringLiteral("kept"), QStringLiteral("old"));

    store.setRefuseCreate(true);
    HKEY key = 99;
    EXPECT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral(".wmdf"), KEY_ALL_ACCESS, key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    // The design's next step writes through the failed handle, which must fail as well.
    EXPECT_EQ(store.setValue(key, QString(), REG_SZ, QStringLiteral("wmdf_ext")),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("kept"), KEY_ALL_ACCESS, key),
              ERROR_ACCESS_DENIED);
    store.setRefuseCreate(false);

    store.setRefuseSetValue(true);
    ASSERT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("kept"), KEY_ALL_ACCESS, key),
              ERROR_SUCCESS);
    EXPECT_EQ(store.setValue(key, QString(), REG_SZ, QStringLiteral("new")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(store.deleteValue(key, QString()), ERROR_ACCESS_DENIED);
    store.closeKey(key);
    EXPECT_EQ(store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("kept"), KEY_ALL_ACCESS, key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(readDefault(store, QStringLiteral("kept")), QStringLiteral("old"));
    EXPECT_EQ(store.subKeyNames(HKEY_CLASSES_ROOT), QStringList{QStringLiteral("kept")});
}

TEST_F(RegistryStoreTest, UnwritableStoreReportsFailureNotSuccess)
{
    // The store's folder cannot be made: a plain file stands where it should be.
    QFile blocker(m_folder.filePath(QStringLiteral("reg")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore store(storePath());
    HKEY key = 0;
    EXPECT_EQ(store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("k"), KEY_ALL_ACCESS, key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("k"), KEY_READ, key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.setValue(HKEY_CLASSES_ROOT, QString(), REG_SZ, QStringLiteral("v")),
              ERROR_ACCESS_DENIED);
}

TEST_F(RegistryStoreTest, ChangeListenerRunsWhenAChangingHandleCloses)
{
    RegistryStore store(storePath());
    int calls = 0;
    store.setChangeListener([&calls](RegistryStore&) { ++calls; });

    HKEY key = 0;
    store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("k"), KEY_ALL_ACCESS, key);
    store.setValue(key, QString(), REG_SZ, QStringLiteral("v"));
    EXPECT_EQ(calls, 0);
    store.closeKey(key);
    EXPECT_EQ(calls, 1);

    // Opening an existing key and only reading it is no change.
    store.createKey(HKEY_CLASSES_ROOT, QStringLiteral("k"), KEY_ALL_ACCESS, key);
    store.closeKey(key);
    store.openKey(HKEY_CLASSES_ROOT, QStringLiteral("k"), KEY_READ, key);
    store.closeKey(key);
    EXPECT_EQ(calls, 1);
}

// The design's registration, step by step, through the registry calls on the process-wide
// store.
TEST(RegistryCalls, RegisterAnAssociationOnTheProcessWideStore)
{
    testsupport::FakeRegistry registry;
    const QString command = QStringLiteral("\"/opt/Scrivet/Scrivet\" \"%1\"");
    QString type = QStringLiteral("wmdf_ext");
    const std::vector<std::pair<QString, QString>> steps = {
        {QStringLiteral(".wmdf"), type},
        {type, QStringLiteral("Wexmoor Document File")},
        {type + QStringLiteral("\\DefaultIcon"), QStringLiteral("/m/1.ico")},
        {type + QStringLiteral("\\shell"), QString()},
        {type + QStringLiteral("\\shell\\open"), QString()},
        {type + QStringLiteral("\\shell\\open\\command"), command},
    };
    for (const auto& [path, data] : steps) {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        if (!data.isEmpty()) {
            ASSERT_EQ(RegSetValueEx(key, QString(), REG_SZ, data), ERROR_SUCCESS);
        }
        ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    EXPECT_EQ(registry.value(QStringLiteral(".wmdf")), type);
    EXPECT_EQ(registry.value(QStringLiteral("WMDF_EXT\\SHELL\\OPEN\\COMMAND")), command);
    EXPECT_TRUE(registry.hasKey(QStringLiteral("wmdf_ext\\shell\\open")));
    EXPECT_EQ(registry.value(QStringLiteral("wmdf_ext\\shell")), std::nullopt);

    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral(".wmdf"), KEY_READ, key),
              ERROR_SUCCESS);
    quint32 size = 0;
    EXPECT_EQ(RegQueryValueEx(key, QString(), nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, QStringLiteral(".wmdf")), ERROR_SUCCESS);
    EXPECT_FALSE(registry.hasKey(QStringLiteral(".wmdf")));
}

// The real process-wide store follows the application-data folder and mirrors a finished
// registration to the desktop there (with no desktop tools on the search path).
TEST(RegistryCalls, RealStoreFollowsTheApplicationDataFolderAndMirrors)
{
    testsupport::TempFolder first;
    testsupport::TempFolder second;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", first.path().toLocal8Bit());
    const QString previous = setApplicationDataOverride(first.path());

    const std::vector<std::pair<QString, QString>> steps = {
        {QStringLiteral(".wmdf"), QStringLiteral("wmdf_ext")},
        {QStringLiteral("wmdf_ext"), QStringLiteral("Wexmoor Document File")},
        {QStringLiteral("wmdf_ext\\shell\\open\\command"),
         QStringLiteral("\"/opt/s/Scrivet\" \"%1\"")},
    };
    for (const auto& [key, data] : steps) {
        HKEY handle = 0;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, key, KEY_ALL_ACCESS, handle), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueEx(handle, QString(), REG_SZ, data), ERROR_SUCCESS);
        EXPECT_EQ(RegCloseKey(handle), ERROR_SUCCESS);
    }
    EXPECT_TRUE(QFileInfo::exists(first.filePath(QStringLiteral("scrivet/registry.json"))));
    EXPECT_TRUE(
        QFileInfo::exists(first.filePath(QStringLiteral("applications/scrivet-wmdf.desktop"))));
    EXPECT_TRUE(
        QFileInfo::exists(first.filePath(QStringLiteral("mime/packages/scrivet-wmdf.xml"))));

    setApplicationDataOverride(second.path());
    HKEY handle = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral(".wmdf"), KEY_READ, handle),
              ERROR_FILE_NOT_FOUND);

    setApplicationDataOverride(previous);
    qputenv("PATH", path);
}

}  // namespace
