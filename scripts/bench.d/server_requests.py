"""Counts, in a trace of Wine's server (`wineserver -d1`), the requests a program's main
thread made from its start up to the request that opened the event NAME (the first paint's).

Usage: server_requests.py TRACE NAME
"""
import re
import sys

REQUEST = re.compile(r"([0-9a-f]+): ([a-z_]+)\( ")


def main():
    trace, name = sys.argv[1], sys.argv[2]
    with open(trace, errors="replace") as f:
        lines = f.read().split("\n")
    marker = 'name=L"%s"' % name
    end = next((i for i, line in enumerate(lines) if marker in line and "open_event(" in line), None)
    if end is None:
        sys.exit("no first paint named %s in %s" % (name, trace))
    thread = lines[end].split(":")[0]
    start = max(i for i in range(end) if lines[i].startswith(thread + ": init_first_thread("))
    count = 0
    for line in lines[start:end]:
        request = REQUEST.match(line)
        if request and request.group(1) == thread:
            count += 1
    print(count)


if __name__ == "__main__":
    main()
