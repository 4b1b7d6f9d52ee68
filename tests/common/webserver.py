# A plain static web server on 127.0.0.1 for the browser tests: one folder on
# a free port of the loopback address, from a thread, until the block ends.
# Names in `hidden` answer 404 Not Found as if the file were missing.
#
#     with StaticServer(folder, hidden={"glowmotion.data"}) as base:
#         ...  # base is "http://127.0.0.1:PORT/"
import functools
import http.server
import threading


class _Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, hidden=frozenset(), **kwargs):
        self.hidden = hidden
        super().__init__(*args, **kwargs)

    def do_GET(self):
        if self.path.split("?", 1)[0].split("#", 1)[0].lstrip("/") in self.hidden:
            self.send_error(404, "Not Found")
            return
        super().do_GET()

    def log_message(self, *args):
        pass


class StaticServer:
    def __init__(self, folder, hidden=()):
        handler = functools.partial(_Handler, directory=str(folder), hidden=frozenset(hidden))
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return f"http://127.0.0.1:{self.httpd.server_address[1]}/"

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join()
