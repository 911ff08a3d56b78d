"""ravak-tool as a Windows console program."""
import harness


def run_tool(desktop, *args, stdin=b""):
    return desktop.run(harness.DIST / "ravak-tool.exe", *args, input=stdin, check=False)


def test_windows_tool_converts_lines_and_rejects_bad_utf8(desktop):
    ok = run_tool(desktop, "convert", stdin="sghl\r\nhello سلام\n".encode())
    assert ok.returncode == 0
    assert ok.stdout.decode() == "سلام\r\nhello sghl\n"
    bad = run_tool(desktop, "convert", stdin=b"ab\xff\n")
    assert bad.returncode == 2
    assert b"invalid UTF-8" in bad.stderr
