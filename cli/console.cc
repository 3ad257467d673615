// SPDX-License-Identifier: MIT
// What the program says, on every system: its lines, its progress line and
// its sentences. The terminal itself is each system's (console_posix.cc,
// console_win32.cc).
#include "cli/console.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string>
#include <system_error>

#include "cli/interrupts.h"
#include "common/file_system.h"
#include "text/escapes.h"

namespace holvane::cli {

namespace {

// `pattern` with each "{}" in it replaced by the next of `values`: a
// sentence stays one string, whatever it holds.
std::string Filled(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string filled;
  auto value = values.begin();
  for (;;) {
    const std::size_t hole = pattern.find("{}");
    if (hole == std::string_view::npos || value == values.end()) break;
    filled.append(pattern.substr(0, hole)).append(*value++);
    pattern.remove_prefix(hole + 2);
  }
  return filled.append(pattern);
}

std::string Number(std::int64_t number) { return std::to_string(number); }

// A cause as it is printed: the program's own sentence, perhaps quoting what
// it read, whose backslashes are its own.
std::string Sentence(std::string_view text) {
  return text::Escaped(text, text::Backslashes::kKept);
}

// At most `columns` characters of UTF-8 `text`: a line longer than the
// terminal would wrap, and "\r" could no longer take the cursor back to its
// start.
std::string Fit(std::string_view text, int columns) {
  std::string out;
  int used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool starts_character = (byte & 0xC0) != 0x80;
    if (starts_character && ++used > columns) break;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// The lines a run prints

void Report(std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + Sentence(cause) + "\n");
}

void ReportFailure(const std::filesystem::path& path, std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + text::Escaped(path.native()) + ": " +
                        Sentence(cause) + "\n");
}

void ReportCounts(std::int64_t done, std::int64_t failed, bool text_on_stdout, bool quiet,
                  std::string (*done_line)(std::int64_t)) {
  if (quiet) return;
  if (done > 0) WriteText(text_on_stdout ? stderr : stdout, done_line(done) + "\n");
  if (failed > 0) WriteText(stderr, Filled("Файлов с ошибками: {}.\n", {Number(failed)}));
}

int UsageFailure(std::string_view message) {
  WriteText(stderr, std::string(kProgram) + ": " + Sentence(message) + "\n" + sentence::Usage() +
                        Filled("Подробнее: {} --help\n", {kProgram}));
  return 2;
}

std::string InterruptLine(int signal, const std::filesystem::path* file) {
  std::string line;
  if (IsTerminal(stderr)) line = LineClearing(stderr);
  line += std::string(kProgram) + ": ";
  line += file != nullptr ? Filled("{}: преобразование прервано ({})",
                                   {text::Escaped(file->native()), SignalName(signal)})
                          : Filled("прервано ({})", {SignalName(signal)});
  return line + "\n";
}

int StatusOnceWritten(int status) {
  if (status == kReaderGoneStatus) return status;
  const int error = StandardOutputError();
  if (error == 0) return status;
  if (error == EPIPE) return kReaderGoneStatus;
  Report(sentence::StandardOutputFailed(error == ENOSPC ? sentence::NoSpaceOnDevice()
                                                        : std::strerror(error)));
  return 1;
}

ProgressLine::ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Show(std::size_t number, std::size_t total, std::string_view name) {
  if (!enabled_) return;
  const std::string text =
      Filled("[{}/{}] {}", {std::to_string(number), std::to_string(total), name});
  WriteText(stream_, LineClearing(stream_) + Fit(text, TerminalWidth(stream_) - 1));
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  WriteText(stream_, LineClearing(stream_));
  std::fflush(stream_);
  drawn_ = false;
}

// ---------------------------------------------------------------------------
// The program's sentences

namespace sentence {

namespace {

// What --version prints after the name and version, as GNU programs do.
constexpr char kCopyright[] =
    "Copyright (c) 2026 The Holvane developers\n"
    "Лицензия MIT <https://opensource.org/licenses/MIT>.\n"
    "Это свободное ПО: его можно изменять и распространять.\n"
    "НИКАКИХ ГАРАНТИЙ в пределах, допускаемых законом.\n";

constexpr char kUsage[] =
    "Использование: holvane-convert [ПАРАМЕТР]... ПУТЬ...\n"
    "  или: holvane-convert --pack [-f] [-o ВЫХОД | -O ПАПКА | -c] ФАЙЛ...\n"
    "  или: holvane-convert (--pot | --csv) [-r] [--from=КАТАЛОГ] (-o ФАЙЛ | -c) ПУТЬ...\n"
    "  или: holvane-convert --apply=КАТАЛОГ [-r] (-O ПАПКА | -o ВЫХОД | -c | -f) ПУТЬ...\n";

constexpr char kHelp[] =
    "Преобразует сжатые файлы .wvl в текстовые: файл ИМЯ даёт рядом с собой ИМЯ.txt\n"
    "(game.wvl даёт game.wvl.txt). ПУТЬ — файл, который преобразуется, как бы он ни\n"
    "назывался, папка, в которой преобразуются файлы *.wvl (в любом регистре), или -,\n"
    "стандартный ввод, чей текст идёт в стандартный вывод. Ошибка в одном файле не\n"
    "останавливает остальные; файл, названный дважды, преобразуется один раз.\n"
    "\n"
    "  -r, --recursive       обходить и вложенные папки (символические ссылки на\n"
    "                        папки не обходятся)\n"
    "  -c, --stdout          писать тексты в стандартный вывод, один за другим, и\n"
    "                        ничего не писать рядом с файлами\n"
    "      --encoding=КОД    cp1251 (по умолчанию) — байты текстов как есть; utf-8 —\n"
    "                        тексты из кодовой страницы 1251 в UTF-8\n"
    "      --eol=КОНЕЦ       crlf или lf: какими переводами строк заканчивать\n"
    "                        строки (переводы строк внутри текстов остаются как\n"
    "                        есть); по умолчанию crlf, а с --editable — перевод\n"
    "                        строк системы (lf; в Windows crlf)\n"
    "      --editable        писать тексты для правки: ИМЯ.edit.txt, строка на запись\n"
    "                        («+», «-» или «?ФЛАГ » перед текстом), в UTF-8, если не\n"
    "                        задано --encoding=cp1251; \\\\, \\r, \\n, \\t и \\xNN вместо\n"
    "                        байтов, которые разорвали бы строку; ИМЯ.edit.txt,\n"
    "                        который уже есть, заменяется только с -f\n"
    "      --pack            упаковать каждый ФАЙЛ для правки обратно в .wvl: рядом,\n"
    "                        под его именем без .edit.txt; - читает стандартный ввод\n"
    "      --pot             написать каталог для перевода (шаблон PO gettext) из\n"
    "                        текстов всех файлов ПУТЕЙ: статья на каждый разный\n"
    "                        непустой текст, ссылки ФАЙЛ:N на его записи\n"
    "      --csv             то же в CSV для электронных таблиц (UTF-8 с BOM)\n"
    "      --from=КАТАЛОГ    с --pot или --csv: взять переводы из прежнего\n"
    "                        каталога (PO или CSV) для тех же исходных текстов\n"
    "      --apply=КАТАЛОГ   записать каждый файл .wvl заново, с переводами\n"
    "                        КАТАЛОГА вместо его текстов (нет перевода, он пуст\n"
    "                        или неточен — текст остаётся); КАТАЛОГ, чьё имя\n"
    "                        оканчивается на .csv, читается как CSV, иначе как PO;\n"
    "                        - читает стандартный ввод\n"
    "  -o, --output=ВЫХОД    с --pack или --apply: куда писать файл (один ФАЙЛ);\n"
    "                        с --pot или --csv: куда писать каталог\n"
    "  -O, --output-dir=ПАПКА\n"
    "                        с --pack: писать каждый упакованный файл в ПАПКУ под\n"
    "                        его именем (папка создаётся, если её нет); с --apply:\n"
    "                        каждый файл под его путём относительно ПУТИ\n"
    "  -f, --force           с --pack, --apply, --pot или --csv: заменить файл,\n"
    "                        который уже есть (атомарно: запись рядом, сброс на\n"
    "                        диск, переименование); с --pack ещё и сказать, если\n"
    "                        в нём было другое число записей; --apply с одним -f\n"
    "                        заменяет каждый файл на месте; с --editable: заменить\n"
    "                        ИМЯ.edit.txt; без -f файл, который уже есть, не\n"
    "                        трогается\n"
    "  -q, --quiet           не печатать число преобразованных файлов и файлов\n"
    "                        с ошибками\n"
    "  -h, --help            показать эту справку и выйти\n"
    "  -V, --version         показать версию и выйти\n"
    "\n"
    "Файл, который не распаковывается, ничего после себя не оставляет. Сбой после\n"
    "распаковки (ИМЯ.txt не создать или не записать, это папка или чужой файл, поток\n"
    "записей обрывается, диск полон или достигнут предел размера файла) оставляет\n"
    "рядом ИМЯ.tmp со всем распакованным содержимым, каким бы большим оно ни было, —\n"
    "его можно посмотреть, потом удалить; в ИМЯ.txt тогда только целые записи\n"
    "до сбоя.\n"
    "\n"
    "Без -c и без - число преобразованных файлов печатается в стандартный вывод,\n"
    "иначе — в стандартный поток ошибок; число файлов с ошибками — всегда в\n"
    "стандартный поток ошибок. Папка, в которой нечего преобразовать, называется\n"
    "строкой в стандартном потоке ошибок.\n"
    "\n"
    "Правка и обратная упаковка:\n"
    "  holvane-convert --editable game.wvl\n"
    "  sed -i 's/^+Hello$/+Привет/' game.wvl.edit.txt\n"
    "  holvane-convert --pack -o game.new.wvl game.wvl.edit.txt\n"
    "  holvane-convert -c --encoding=utf-8 game.new.wvl\n"
    "Строка, которую не прочитать, называется как ФАЙЛ:СТРОКА:СТОЛБЕЦ: причина\n"
    "(не больше 10, затем их число); тогда ничего не пишется. С -c упакованные\n"
    "данные идут в стандартный вывод, но не на терминал.\n"
    "\n"
    "Перевод:\n"
    "  holvane-convert --pot -r -o game.pot game/\n"
    "  msginit --no-translator -i game.pot -l en -o en.po   # и перевести en.po\n"
    "  holvane-convert --apply=en.po -r -O game-en/ game/\n"
    "Строка каталога, которую не прочитать, называется как КАТАЛОГ:СТРОКА:СТОЛБЕЦ:\n"
    "причина (не больше 10, затем их число); тогда ничего не пишется. В конце\n"
    "печатается, сколько записей переведено, сколько осталось без перевода, сколько\n"
    "пропущено как неточные и сколько статей каталога ни с чем не совпало.\n"
    "\n"
    "Код возврата: 0 — все файлы преобразованы; 1 — хотя бы один преобразовать\n"
    "не удалось или не удалось записать в стандартный вывод; 2 — ошибка в командной\n"
    "строке; 128 + номер сигнала — прервано сигналом (130 для Ctrl+C). Если\n"
    "читающий стандартный вывод уходит, запуск молча кончается по SIGPIPE, как cat.\n";

}  // namespace

std::string Usage() { return kUsage; }
std::string Help() { return std::string(kUsage) + kHelp; }
std::string Version() { return Filled("{} {}\n", {kProgram, HOLVANE_VERSION}) + kCopyright; }

std::string BadValue(std::string_view option, std::string_view value, std::string_view accepted) {
  return Filled("недопустимое значение «{}» параметра {}; допустимы: {}",
                {value, option, accepted});
}
std::string ValueNeeded(std::string_view option) {
  return Filled("параметру {} нужно значение", {option});
}
std::string TakesNoValue(std::string_view option) {
  return Filled("параметр {} не принимает значения", {option});
}
std::string UnknownOrAmbiguous(std::string_view option) {
  return Filled("неизвестный или неоднозначный параметр «{}»", {option});
}
std::string UnknownOption(std::string_view option) {
  return Filled("неизвестный параметр «{}»", {option});
}
std::string NoPathGiven() { return "не указан ни один файл или папка"; }
std::string EditableWithPack() { return "--editable и --pack вместе не задаются"; }
std::string OnlyWith(std::string_view option, std::string_view commands) {
  return Filled("{} задаётся только с {}", {option, commands});
}
std::string ForceOnlyWithPackOrEditable() {
  return "-f задаётся только с --pack, --editable, --apply, --pot или --csv";
}
std::string NotTogether(std::string_view option, std::string_view other) {
  return Filled("{} и {} вместе не задаются", {option, other});
}
std::string FromOnlyWithCatalogue() { return "--from задаётся только с --pot или --csv"; }
std::string CatalogueNeedsOutput() {
  return "куда писать каталог: нужен -o ФАЙЛ или -c (стандартный вывод)";
}
std::string ApplyNeedsOutput() {
  return "куда писать файлы: нужен -O ПАПКА, -o ВЫХОД, -c или -f (заменить на месте)";
}
std::string StandardInputTwice() {
  return "стандартный ввод читается один раз: каталог из - и ПУТЬ - вместе не задаются";
}
std::string StdoutForOneFile(std::size_t files_given) {
  return Filled("-c пишет один файл, а их указано {}", {std::to_string(files_given)});
}
std::string PackReadsNoFolders() { return "--pack читает файлы, а не папки: -r с ним не задаётся"; }
std::string OutputAndOutputDir() { return "-o и -O вместе не задаются"; }
std::string NotWithStdout(std::string_view option) {
  return Filled("{} и -c вместе не задаются", {option});
}
std::string OutputForOneFile(std::size_t files_given) {
  return Filled("-o называет выход одного ФАЙЛА, а их указано {}", {std::to_string(files_given)});
}
std::string OutputIsAFolder(std::string_view output) {
  return Filled("-o называет файл, а «{}» — папка; упакованные файлы в папку пишет -O ПАПКА",
                {output});
}

std::string NoSuchPath() { return "нет такого файла или папки"; }
std::string NoFilesInFolder(std::string_view pattern) {
  return Filled("в папке нет файлов {}", {pattern});
}
std::string NoFilesInFolderButSubfolders(std::string_view pattern) {
  return Filled("в папке нет файлов {}; файлы вложенных папок преобразует -r", {pattern});
}
std::string NoFilesInTree(std::string_view pattern) {
  return Filled("ни в папке, ни во вложенных папках нет файлов {}", {pattern});
}
std::string AlreadyThere() { return "файл уже есть; заменить его позволит -f (--force)"; }
std::string OutOfMemory() { return std::string(SystemErrorWords(std::errc::not_enough_memory)); }
std::string SystemFailed(std::string_view cause) { return Filled("сбой системы: {}", {cause}); }
std::string Unexpected(std::string_view what) {
  return Filled("непредвиденная ошибка ({})", {what});
}
std::string Unexpected() { return "непредвиденная ошибка"; }
std::string WaitingForAnotherConversion(std::string_view name) {
  return Filled("{}: ждёт, пока закончится другое преобразование этого файла", {name});
}
std::string StandardOutputFailed(std::string_view cause) {
  return Filled("ошибка записи в стандартный вывод: {}", {cause});
}
std::string NoSpaceOnDevice() { return "нет места на устройстве"; }
std::string CompressedDataToTerminal() {
  return "сжатые данные на терминал не пишутся: перенаправьте стандартный вывод";
}
std::string FolderNotCreated() { return "не удаётся создать папку"; }
std::string StandardInputNeedsOutput() { return "для стандартного ввода нужен -o ФАЙЛ или -c"; }
std::string NotAnEditableName() {
  return "имя не оканчивается на .edit.txt: куда писать, скажет -o ФАЙЛ, или -c";
}
std::string PackedTwiceInto(std::string_view target) {
  return Filled("в «{}» уже упакован другой файл этого запуска", {target});
}
std::string RecordCountChanged(std::int64_t before, std::int64_t after) {
  return Filled("записей было {}, стало {}", {Number(before), Number(after)});
}
std::string FaultyLines(std::size_t beyond_those_told, std::size_t in_all) {
  const std::string all = std::to_string(in_all);
  if (beyond_those_told == 0) {
    return Filled("строк с ошибками всего: {}, ничего не записано", {all});
  }
  return Filled("и ещё строк с ошибками: {}; строк с ошибками всего: {}, ничего не записано",
                {std::to_string(beyond_those_told), all});
}

std::string PackedCount(std::int64_t count) {
  return Filled("Файлов упаковано: {}.", {Number(count)});
}

std::string OneOutputForFiles(std::size_t files) {
  return Filled("-o и -c пишут один файл, а ПУТИ дают их {}", {std::to_string(files)});
}
std::string CataloguedCount(std::int64_t count) {
  return Filled("Файлов в каталоге: {}.", {Number(count)});
}
std::string CatalogueSize(std::size_t entries, std::size_t translated) {
  return Filled("Статей в каталоге: {}, из них переведено: {}.",
                {std::to_string(entries), std::to_string(translated)});
}
std::string AppliedCount(std::int64_t count) {
  return Filled("Файлов записано с переводом: {}.", {Number(count)});
}
std::string ApplyTotals(std::int64_t translated, std::int64_t kept, std::int64_t fuzzy,
                        std::size_t unmatched) {
  return Filled(
      "Записей переведено: {}, осталось без перевода: {}, из них пропущено как неточные: {}; "
      "статей каталога без совпадений: {}.",
      {Number(translated), Number(kept), Number(fuzzy), std::to_string(unmatched)});
}

}  // namespace sentence

}  // namespace holvane::cli
