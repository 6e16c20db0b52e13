"""The fault tool's reader of fault lists (one '@@ ID file | description' block
per fault, '-' old lines, '+' new lines), shared by the scripts that plant
faults against other checks than the host tests."""

import importlib.util

_found = importlib.util.spec_from_file_location("mutate", "/work/shared/tools/mutate.py")
mutate = importlib.util.module_from_spec(_found)
_found.loader.exec_module(mutate)


def windows_ids(path):
    """The ids of the faults marked by a line '# windows' before their block."""
    ids, marked = set(), False
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip() == "# windows":
                marked = True
            elif line.startswith("@@"):
                if marked:
                    ids.add(line[2:].split()[0])
                marked = False
    return ids
