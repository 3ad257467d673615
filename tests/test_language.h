// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TESTS_TEST_LANGUAGE_H_
#define HOLVANE_TESTS_TEST_LANGUAGE_H_

namespace holvane::testing {

// Every test program compares holvane-convert's sentences in Russian, the
// language they were first written in. Before any test runs, each program
// sets LANGUAGE=ru in a UTF-8 locale (and, where the catalogues are read
// from disk, TEXTDOMAINDIR to the build tree's), for itself and for every
// program it starts, and chooses that language (test_language_posix.cc,
// test_language_win32.cc, linked into every test program).
//
// Sets the environment variable `name` to `value` for this process and the
// programs it starts; an empty `value` removes it.
void SetVariable(const char* name, const char* value);

// The settings above, made again after a test changed them.
void UseTestLanguage();

}  // namespace holvane::testing

#endif  // HOLVANE_TESTS_TEST_LANGUAGE_H_
