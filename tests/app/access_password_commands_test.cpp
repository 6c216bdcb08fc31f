#include "app/access_password_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "store/password_store.h"
#include "store/store_test_support.h"

namespace px {
namespace {

constexpr auto kScreen = PasswordForm::kPasswordScreen;
constexpr auto kHome = PasswordForm::kHomeSection;

class AccessPasswordCommandsTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    loadPasswordStore();  // the empty scratch folder: no password
  }
  void TearDown() override {
    DataFolderTest::TearDown();
    loadPasswordStore();
  }
  PasswordCommandOutcome save(PasswordForm form, std::string typed, std::string repeat,
                              const AccessPasswordStore& store = processPasswordStore()) {
    const size_t typedSize = typed.size(), repeatSize = repeat.size();
    const PasswordCommandOutcome out = savePasswordCommand(form, typed, repeat, store);
    // The typed copies are overwritten in place, whatever the outcome.
    EXPECT_EQ(typed.size(), typedSize);
    EXPECT_EQ(repeat.size(), repeatSize);
    EXPECT_TRUE(std::all_of(typed.begin(), typed.end(), [](char c) { return c == 0; }));
    EXPECT_TRUE(std::all_of(repeat.begin(), repeat.end(), [](char c) { return c == 0; }));
    return out;
  }
};

bool failingSet(ByteView) { return false; }
bool alwaysSet() { return true; }
const AccessPasswordStore kFailingStore{&failingSet, &alwaysSet};

TEST_F(AccessPasswordCommandsTest, PasswordScreenStoresOnlyTwoEqualLongEnoughTexts) {
  struct Case {
    std::string typed, repeat;
    const char* screenError;
    bool stored;
  };
  const Case cases[] = {
      {"", "", "Digite a senha nas duas caixas", false},
      {"abcdefg", "abcdefg", "A senha precisa ter pelo menos 8 caracteres", false},
      {"abc", "xyz", "As senhas não conferem", false},
      {"cafézin", "cafézin", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const PasswordCommandOutcome out = save(kScreen, c.typed, c.repeat);
    EXPECT_EQ(out.screenError, c.screenError);
    EXPECT_EQ(out.closeScreen, c.stored);
    EXPECT_EQ(out.status, c.stored ? "Senha de acesso definida" : "");
    EXPECT_EQ(readPasswordStore().hasPassword, c.stored);
    EXPECT_EQ(std::filesystem::exists(file(kPasswordFileName)), c.stored);
  }
  loadPasswordStore();  // what the next start sees
  EXPECT_TRUE(accessPasswordIsSet());
}

TEST_F(AccessPasswordCommandsTest, HomeFieldSetsThenEmptyFieldRemoves) {
  PasswordCommandOutcome out = save(kHome, "abcdefgh", "");
  EXPECT_EQ(out.status, "Senha de acesso definida");
  EXPECT_TRUE(out.emptyEdits);
  EXPECT_FALSE(out.closeScreen);
  EXPECT_TRUE(accessPasswordIsSet());

  out = save(kHome, "short", "");
  EXPECT_EQ(out.status, "A senha precisa ter pelo menos 8 caracteres");
  EXPECT_EQ(out.screenError, "");
  EXPECT_FALSE(out.emptyEdits);
  EXPECT_TRUE(accessPasswordIsSet());  // a failed attempt leaves the password alone

  out = save(kHome, "", "");
  EXPECT_EQ(out.status, "Senha de acesso removida");
  EXPECT_FALSE(accessPasswordIsSet());
  EXPECT_FALSE(std::filesystem::exists(file(kPasswordFileName)));
}

TEST_F(AccessPasswordCommandsTest, StorageFailureIsReportedWhereTheFormShowsErrors) {
  PasswordCommandOutcome out = save(kScreen, "abcdefgh", "abcdefgh", kFailingStore);
  EXPECT_EQ(out.screenError, "Não foi possível salvar a senha");
  EXPECT_FALSE(out.closeScreen);
  out = save(kHome, "abcdefgh", "", kFailingStore);
  EXPECT_EQ(out.status, "Não foi possível salvar a senha");
  EXPECT_FALSE(out.emptyEdits);
}

TEST_F(AccessPasswordCommandsTest, RemoverRemovesAndClosesEitherWay) {
  save(kHome, "abcdefgh", "");
  ASSERT_TRUE(accessPasswordIsSet());
  PasswordCommandOutcome out = removePasswordCommand(kFailingStore);
  EXPECT_EQ(out.status, "Não foi possível remover a senha");
  EXPECT_TRUE(out.closeScreen);
  EXPECT_TRUE(accessPasswordIsSet());
  out = removePasswordCommand();
  EXPECT_EQ(out.status, "Senha de acesso removida");
  EXPECT_TRUE(out.closeScreen);
  EXPECT_TRUE(out.emptyEdits);
  EXPECT_FALSE(accessPasswordIsSet());
}

}  // namespace
}  // namespace px
