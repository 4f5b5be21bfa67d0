#!/usr/bin/env python3
"""Runs the include-order script over small source trees made here.

Usage: include_order_test.py PATH_TO_check-include-order
"""
import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

SCRIPT = None

# Three libraries: top -> middle -> bottom, and a loose one that nothing depends on.
LIBRARIES = {
    'bottom/CMakeLists.txt': 'tarnwick_library(bottom\n  SOURCES b.cpp\n  SYSTEM_LIBS user32\n)\n',
    'middle/CMakeLists.txt': textwrap.dedent('''\
        tarnwick_library(middle
          SOURCES
            low/low.cpp  # the lowest layer
            high/high.cpp
          DEPS bottom
          SYSTEM_LIBS gdi32
        )
        '''),
    'top/CMakeLists.txt': 'tarnwick_library(top\n  SOURCES t.cpp\n  DEPS middle psapi\n)\n',
    'loose/CMakeLists.txt': 'tarnwick_library(loose\n  SOURCES l.cpp\n)\n',
}


class IncludeOrderTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = os.path.join(self.folder.name, 'src')
        for name, text in LIBRARIES.items():
            self.write(name, text)
        self.write('middle/low/low.cpp', '#include "middle/low/low.h"\n')
        self.write('middle/high/high.cpp', '#include "middle/low/low.h"\n')
        self.write('middle/LAYERS', '# lowest first\nlow\n\nhigh  # above low\n')

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'w', encoding='utf-8') as file:
            file.write(text)

    def run_script(self):
        result = subprocess.run([sys.executable, SCRIPT, self.root], cwd=self.folder.name,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                universal_newlines=True)
        self.assertEqual(result.stderr, '')
        return result.returncode, result.stdout.splitlines()

    def assert_clean(self):
        self.assertEqual(self.run_script(), (0, []))

    def test_includes_that_follow_the_order_pass(self):
        cases = [
            ('middle/low/a.h', '#include "middle/low/b.h"'),
            ('middle/high/a.cpp', '#include "middle/low/a.h"'),
            ('middle/high/a.cpp', '#include "middle/high/deeper/b.h"'),
            ('middle/top.cpp', '#include "middle/high/a.h"'),
            ('middle/top.cpp', '#include "bottom/b.h"'),
            ('top/t.cpp', '#include "middle/top.h"'),
            ('top/t.cpp', '#include "bottom/b.h"'),  # reached through middle
            ('top/t.cpp', '#include <windows.h>'),
            ('bottom/b.cpp', '#include "json.hpp"'),  # names no library
            ('bottom/b.cpp', '#include "b.h"'),
            ('bottom/b.h', '// #include "top/t.h" is a comment'),
        ]
        for source, line in cases:
            with self.subTest(source=source, line=line):
                self.write(source, line + '\n')
                self.assert_clean()
                os.remove(os.path.join(self.root, source))

    def test_includes_against_the_order_are_listed(self):
        cases = [
            ('middle/low/a.cpp', '#include "middle/high/b.h"',
             'includes middle/high/b.h (layer middle/high above layer middle/low)'),
            ('middle/low/a.cpp', '#include "middle/top.h"',
             'includes middle/top.h (layer middle above layer middle/low)'),
            ('middle/high/a.h', '  #  include "middle/top.h"',
             'includes middle/top.h (layer middle above layer middle/high)'),
            ('bottom/b.cpp', '#include "middle/low/a.h"',
             'includes middle/low/a.h (layer middle above layer bottom)'),
            ('middle/low/a.cpp', '#include "top/t.h"',
             'includes top/t.h (layer top above layer middle)'),
            ('top/t.cpp', '#include "loose/l.h"',
             'includes loose/l.h (layer loose not below layer top)'),
        ]
        for source, line, reason in cases:
            with self.subTest(source=source, line=line):
                self.write(source, '#pragma once\n\n' + line + '\n')
                shown = os.path.join('src', source)
                self.assertEqual(self.run_script(), (1, ['%s:3: %s' % (shown, reason)]))
                os.remove(os.path.join(self.root, source))

    def test_every_include_against_the_order_gets_a_line(self):
        self.write('middle/low/a.cpp',
                   '#include "middle/high/b.h"\n#include "middle/low/c.h"\n'
                   '#include "top/t.h"\n')
        code, lines = self.run_script()
        self.assertEqual(code, 1)
        self.assertEqual([line.split(': ')[0] for line in lines],
                         [os.path.join('src', 'middle', 'low', 'a.cpp') + ':1',
                          os.path.join('src', 'middle', 'low', 'a.cpp') + ':3'])

    def test_without_layers_a_library_is_one_layer(self):
        os.remove(os.path.join(self.root, 'middle', 'LAYERS'))
        self.write('middle/low/a.cpp', '#include "middle/high/b.h"\n#include "middle/top.h"\n')
        self.assert_clean()

    def test_layers_that_do_not_match_the_folders_are_listed(self):
        self.write('middle/LAYERS', 'low\nmissing\nlow\n')
        self.write('middle/notes/read_me.txt', 'no sources here\n')
        code, lines = self.run_script()
        shown = os.path.join('src', 'middle', 'LAYERS')
        self.assertEqual(code, 1)
        self.assertEqual(lines, [
            shown + ':2: missing is not a sub-folder of middle',
            shown + ':3: low is named twice',
            shown + ': does not name the sub-folder high',
        ])

    def test_a_missing_source_folder_fails(self):
        result = subprocess.run([sys.executable, SCRIPT, os.path.join(self.root, 'none')],
                                stdout=subprocess.PIPE, universal_newlines=True)
        self.assertEqual(result.returncode, 1)
        self.assertIn('not a folder', result.stdout)


if __name__ == '__main__':
    SCRIPT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
