#include "main/screen.h"

#include "main/exits.h"
#include "platform/console.h"

namespace zelmo {

namespace {

void checked(bool written) {
  if (!written) FATAL("scrittura sulla console non riuscita");
}

}  // namespace

void WRITE(const Str& text) { checked(con_write(text.data(), static_cast<size_t>(text.length()))); }

void WRITE(std::string_view text) { checked(con_write(text.data(), text.size())); }

void WRITELN(const Str& text) {
  WRITE(text);
  WRITE(std::string_view("\r\n"));
}

uint8_t READKEY() {
  checked(con_flush());
  return con_readkey();
}

bool KEYPRESSED() { return con_keypressed(); }

uint8_t WHEREX() {
  checked(con_flush());
  return con_wherex();
}

uint8_t WHEREY() {
  checked(con_flush());
  return con_wherey();
}

uint8_t SCREEN_HEIGHT() { return con_height(); }

void GOTOXY(uint8_t x, uint8_t y) {
  checked(con_flush());
  con_gotoxy(x, y);
}

void FRESHLINE() {
  if (WHEREX() != 1) WRITELN();
}

bool ESCPRESSED() {
  if (!KEYPRESSED()) return false;
  uint8_t key = READKEY();
  if (key == 0) READKEY();
  return key == kEsc;
}

char ANSWER(std::string_view answers) {
  for (;;) {
    char key = UPCASE(static_cast<char>(READKEY()));
    if (key == static_cast<char>(kEsc) && con_input_ended()) return answers.front();
    if (key == 0) {
      READKEY();
      continue;
    }
    if (answers.find(key) != std::string_view::npos) return key;
  }
}

}  // namespace zelmo
