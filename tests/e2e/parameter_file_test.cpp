// "isready" reads Parameters_Eval.txt from the working directory and echoes
// what it understood into Control_Parameters_Eval.txt (CP1251 text).
#include <string>
#include <vector>

#include "engine_process.h"
#include "gtest/gtest.h"

namespace {

const std::string READY_REPLY = "readyok \n\n";
const char* const PARAMETERS = "Parameters_Eval.txt";
const char* const CONTROL = "Control_Parameters_Eval.txt";

std::string Control_header() {
  return Cp1251(
      "Печатаем данные считанные в файле Parameters_Eval.txt.\n"
      "Делается это для контроля ввода данных из файла.\n"
      " \n");
}

// A parameter file in the layout the reader expects: 95 lines, values on the
// fixed line numbers, every other line free text.
std::string Parameter_file() {
  std::vector<std::string> lines(95);
  for (size_t i = 0; i < lines.size(); ++i) lines[i] = "comment line " + std::to_string(i + 1) + ", 777";
  auto set = [&lines](int number, const std::string& text) { lines[number - 1] = text; };
  set(7, "85000 the king's value");  // text after the number is ignored
  set(10, "  1050");                 // leading blanks are skipped
  set(13, "+610");
  set(16, "390");
  set(19, "320");
  set(22, "-95");
  set(27, "123456789");  // only the first eight characters count
  set(30, "25");
  set(33, "        17");  // the number starts past column 8: nothing is seen
  set(36, "");
  set(39, "4x");
  set(42, "2");
  set(45, "5");
  set(48, "1500");
  // knight_center, rank 8 first: spacing, empty fields and trailing text.
  const char* knight_rows[8] = {
      "1,2,3,4,5,6,7,8", " 1 , 2,3 ,4,,5, 6,7 ,8,", "-1,-2,-3,-4,-5,-6,-7,-8,", "10,20,30,40,50,60,70,80,99",
      "0,0,0,0,0,0,0,0", "+3,3,3,3,3,3,3,3",        "9,8,7,6,5,4,3,2",          "1,1,1,1,1,1,1,1,",
  };
  for (int r = 0; r < 8; ++r) set(53 + r, knight_rows[r]);
  for (int r = 0; r < 8; ++r) set(65 + r, std::to_string(r) + ",1,1,1,1,1,1,1");
  for (int r = 0; r < 8; ++r) set(77 + r, "5,5,5,5,5,5,5," + std::to_string(100 * r));
  for (int r = 0; r < 8; ++r) set(88 + r, std::to_string(r) + "," + std::to_string(-r) + ",0,0,0,0,0,0");
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string Expected_control() {
  std::string t = Control_header();
  auto value = [&t](const char* label, const std::string& number) { t += Cp1251(label) + number + "\n"; };
  value("KING(король) ", "85000");
  value("QUEEN(ферзь) ", "1050");
  value("ROOK(ладья) ", "610");
  value("BISHOP(слон) ", "390");
  value("KNIGHT(конь) ", "320");
  value("PAWN(пешка) ", "-95");
  t += " \n";
  value("BONUS_CASTLING_O_O(бонус за короткую рокировку) ", "12345678");
  value("BONUS_CASTLING_O_O_O(бонус за длинную рокировку) ", "25");
  value("BONUS_SHIELD(бонус за прикрытие короля спереди пешкой) ", "0");
  value("BONUS_PAWNN(штраф за сдвоенные пешки) ", "0");
  value("PERSPECTIVE_PAWNN(проходные пешки бонус за каждую вертикаль (макс 3)) ", "4");
  value("Z(коэффициент захвата пространства) ", "2");
  value("ATAK_KING(коэффициент атаки на короля) ", "5");
  value("rubikon(рубеж перехода в эндшпиль) ", "1500");
  t += " \n" + Cp1251("кони должны стремиться к центру ") + "\n";
  t += "1,2,3,4,5,6,7,8,\n1,2,3,4,5,6,7,8,\n-1,-2,-3,-4,-5,-6,-7,-8,\n10,20,30,40,50,60,70,80,\n";
  t += "0,0,0,0,0,0,0,0,\n3,3,3,3,3,3,3,3,\n9,8,7,6,5,4,3,2,\n1,1,1,1,1,1,1,1,\n";
  t += " \n" + Cp1251("бонус пешкам за продвижение только центральные занимают форпост инвертна ") + "\n";
  for (int r = 0; r < 8; ++r) t += std::to_string(r) + ",1,1,1,1,1,1,1,\n";
  t += " \n" + Cp1251("бонус пешкам за продвижение используем для эндшпиля пешки ломятся вперед ") + "\n";
  for (int r = 0; r < 8; ++r) t += "5,5,5,5,5,5,5," + std::to_string(100 * r) + ",\n";
  t += " \n" + Cp1251("в эндшпиле король должен стремиться к центру это таблица бонусов за централизацию короля ") +
       "\n";
  for (int r = 0; r < 8; ++r) t += std::to_string(r) + "," + std::to_string(-r) + ",0,0,0,0,0,0,\n";
  return t;
}

TEST(ParameterFile, IsreadyEchoesTheFileIntoTheControlFile) {
  Engine_process engine;
  ASSERT_TRUE(engine.started());
  ASSERT_TRUE(engine.write_file(PARAMETERS, Parameter_file()));
  engine.send("isready\n");
  engine.close_input();
  EXPECT_EQ(engine.read_all(10000), READY_REPLY);
  EXPECT_EQ(engine.wait_exit(5000), 0);
  std::string control;
  ASSERT_TRUE(engine.read_file(CONTROL, &control));
  EXPECT_EQ(control, Expected_control());
}

TEST(ParameterFile, MissingFileLeavesTheThreeHeaderLines) {
  Engine_process engine;
  engine.send("isready\n");
  engine.close_input();
  EXPECT_EQ(engine.read_all(10000), READY_REPLY);
  engine.wait_exit(5000);
  std::string control;
  ASSERT_TRUE(engine.read_file(CONTROL, &control));
  EXPECT_EQ(control, Control_header());
}

TEST(ParameterFile, EveryIsreadyReadsTheFileAnew) {
  Engine_process engine;
  ASSERT_TRUE(engine.write_file(PARAMETERS, Parameter_file()));
  std::string line;
  engine.send("isready\n");
  ASSERT_TRUE(engine.read_until_prefix("readyok", 10000, &line));
  std::string control;
  ASSERT_TRUE(engine.read_file(CONTROL, &control));
  EXPECT_EQ(control, Expected_control());

  ASSERT_EQ(remove(engine.path(PARAMETERS).c_str()), 0);
  engine.send("isready\n");
  ASSERT_TRUE(engine.read_until_prefix("readyok", 10000, &line));
  ASSERT_TRUE(engine.read_file(CONTROL, &control));
  EXPECT_EQ(control, Control_header());
  engine.close_input();
  EXPECT_EQ(engine.wait_exit(5000), 0);
}

TEST(ParameterFile, NoControlFileWithoutIsready) {
  Engine_process engine;
  engine.send("uci\nucinewgame\n");
  engine.close_input();
  engine.read_all(10000);
  EXPECT_EQ(engine.wait_exit(5000), 0);
  EXPECT_FALSE(engine.file_exists(CONTROL));
}

}  // namespace
