#!/usr/bin/env python3
"""unins-check --json on one log with many entries, read back by Python's
JSON parser: the actions in run order with every field, the message table
as it ends up, the dropped lines and the warnings."""
import json
import os
import subprocess
import sys
import tempfile

checker = sys.argv[1]
log = (
    b"A10,Quote \" and back\\slash \xe9\r\n"   # 1: bytes above 127 as U+0080..U+00FF
    b"A10,App 1.0\r\n"                          # 2: replaces line 1's text
    b"[Files]\r\n"                              # 3
    b"P0,C:\\App\\a.txt,0\r\n"                  # 4: 30001
    b"P0,c:\\app\\A.TXT,0\r\n"                  # 5: duplicate of line 4
    b"J0,1,Software\\App,\r\n"                  # 6: 19999, the last J to run
    b"J0,1,Software\\App,Value\r\n"             # 7: 19998
    b"D0,C:\\App\\x.dll,Entry,0\r\n"            # 8: 5001
    b"M0,C:\\App\\a.ini,Window,\r\n"            # 9: 21001
    b"U0,C:\\App,1\r\n"                          # 10: 64999
    b"P14000,C:\\App\\early.txt,0\r\n"          # 11: before the dialog
    b"p0,C:\\App\\b.txt,0\r\n"                  # 12: lower case: message 0
    b"P0,C:\\*.*,0"                             # 13: no line end
)
with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "log.ini")
    with open(path, "wb") as f:
        f.write(log)
    run = subprocess.run([checker, "--json", path], capture_output=True)
    assert run.returncode == 1, run
    plan = json.loads(run.stdout)

failures = []


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: {got!r}, wanted {wanted!r}")


actions = [(a["line"], a["order"], a["letter"], a["text"], a["phase"], a["status"])
           for a in plan["actions"]]
expect("actions", actions, [
    (8, 5001, "D", "C:\\App\\x.dll,Entry,0", "before-dialog", []),
    (11, 14000, "P", "C:\\App\\early.txt,0", "before-dialog", []),
    (7, 19998, "J", "1,Software\\App,Value", "dialog", []),
    (6, 19999, "J", "1,Software\\App,", "dialog", [54]),
    (9, 21001, "M", "C:\\App\\a.ini,Window,", "dialog", [55]),
    (4, 30001, "P", "C:\\App\\a.txt,0", "dialog", [42, 58]),
    (10, 64999, "U", "C:\\App,1", "dialog", []),
])
expect("every action says what it does", all(a["does"] for a in plan["actions"]), True)
# what a silent run does differently: only where it differs
silent = {a["line"]: a["silent"] for a in plan["actions"]}
expect("silent: the same", [silent[8], silent[7], silent[6], silent[9]], ["", "", "", ""])
expect("silent: a file that stays", "next restart" in silent[4] and "3010" in silent[4], True)
expect("silent: a tree keeps its folders too", "with the folders it keeps" in silent[10], True)
expect("caption", plan["caption"], " App 1.0")  # no message 48
messages = {m["id"]: m["text"] for m in plan["messages"]}
expect("message 10", messages.get(10), "App 1.0")
expect("message 0", messages.get(0), "C:\\App\\b.txt,0")
expect("dropped", [(d["line"], d["reason"]) for d in plan["dropped"]],
       [(5, "duplicate"), (12, "message-zero"), (13, "no-line-end")])
codes = {(w["line"], w["code"]) for w in plan["warnings"]}
for wanted in [(5, "duplicate"), (11, "before-dialog"), (12, "lower-case-letter"),
               (13, "no-line-end"), (0, "missing-message")]:
    if wanted not in codes:
        failures.append(f"no warning {wanted} in {sorted(codes)}")
expect("warnings have messages", all(w["message"] for w in plan["warnings"]), True)

# the escapes themselves: a message with a quote, a backslash and byte 0xE9
with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "log.ini")
    with open(path, "wb") as f:
        f.write(log.split(b"\r\n")[0] + b"\r\n")
    plan = json.loads(subprocess.run([checker, "--json", path], capture_output=True).stdout)
expect("escaped text", plan["messages"][0]["text"], "Quote \" and back\\slash \u00e9")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
