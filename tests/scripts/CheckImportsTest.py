"""The import check's rules on canned objdump listings, and the table it reads."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import check_imports  # noqa: E402

LISTING = """
The Import Tables (interpreted .idata section contents)
 vma:            Hint    Time      Forward  DLL       First

\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t24720\t    1  GetTickCount64
\t2473a\t   20  CloseHandle
\t24758\t  141  GetRawInputData
\t24760\t  142  GetLayout

\tDLL Name: msvcrt.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t24800\t   10  __getmainargs

\tDLL Name: zelpo.DLL
\tvma:  Hint/Ord Member-Name Bound-To
\t24900\t    0  EnableMouseHook

\tDLL Name: USER32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t24a00\t   55  <none>
\t24a10\t   56  MadeUpFunction
\t24a20\t   57  RtlAddFunctionTable

The Export Tables (interpreted .edata section contents)
\t24b00\t    3  ExportedName
"""

TABLE = {"GetTickCount64": {"i686": "0x0600", "x86_64": "0x0600"},
         "CloseHandle": {"i686": "0x0400", "x86_64": "0x0400"},
         "GetRawInputData": {"i686": "0x0501", "x86_64": "0x0501"},
         "GetLayout": {"i686": "0x0500", "x86_64": "0x0500"},
         "RtlAddFunctionTable": {"i686": "-", "x86_64": "0x0400"}}


class CheckImports(unittest.TestCase):
    def test_reads_every_import_of_the_import_tables_only(self):
        pairs = check_imports.parse_imports(LISTING)
        self.assertEqual(len(pairs), 9)
        self.assertIn(("KERNEL32.dll", "GetLayout"), pairs)
        self.assertIn(("USER32.dll", None), pairs)  # by ordinal
        self.assertNotIn("ExportedName", [n for _, n in pairs])

    def test_fails_on_newer_undated_and_ordinal_imports_but_not_on_ours_or_the_c_runtime(self):
        pairs = check_imports.parse_imports(LISTING)
        problems, newest = check_imports.judge("i686", "0x0500", TABLE, pairs, {"zelpo.dll"})
        self.assertEqual(newest, "0x0600")
        self.assertEqual(len(problems), 5, problems)
        text = "\n".join(problems)
        for name in ("GetTickCount64", "GetRawInputData", "ordinal", "MadeUpFunction", "RtlAddFunctionTable"):
            self.assertIn(name, text)
        for name in ("GetLayout", "CloseHandle", "__getmainargs", "EnableMouseHook"):
            self.assertNotIn(name, text)
        # The 64-bit floor admits XP's function; its table knows the 64-bit one.
        problems, _ = check_imports.judge("x86_64", "0x0502", TABLE, pairs, {"zelpo.dll"})
        self.assertEqual(len(problems), 3, problems)
        self.assertNotIn("RtlAddFunctionTable", "\n".join(problems))

    def test_a_listing_with_no_imports_fails(self):
        problems, _ = check_imports.judge("i686", "0x0500", TABLE, check_imports.parse_imports("garbage"), set())
        self.assertEqual(len(problems), 1)

    def test_the_kept_table_dates_functions_by_the_headers(self):
        table = check_imports.read_table(check_imports.TABLE)
        self.assertEqual(table["GetTickCount64"], {"i686": "0x0600", "x86_64": "0x0600"})
        self.assertEqual(table["AcquireSRWLockExclusive"]["i686"], "0x0600")
        self.assertEqual(table["CreateWindowExA"]["i686"], "0x0400")
        self.assertEqual(table["RtlAddFunctionTable"]["i686"], "-")
        self.assertGreater(len(table), 5000)


if __name__ == "__main__":
    unittest.main()
