# A stand-in for a phone running phyphox with remote access on and zemtra.phyphox open: GET
# /get?BUFFER=full&... answers {"buffer": {BUFFER: {"size": 1, "updateMode": "full", "buffer":
# [value]}, ...}, "status": {"session": ..., "measuring": ..., "timedRun": false, "countDown": 0}}
# and /control?cmd=start answers {"result": true} and starts the measurement. Each request is
# written to standard output as "GET <path>", flushed.
#
# Serves on a listening socket inherited from the test (--descriptor N) or on a port of its own
# (--port N, for trying the program by hand). What /get answers comes from the scenario file
# (--scenario FILE, read anew at every request; missing: "live"), a JSON object:
#   "answer": "live" (the default: values that move with the time, sampled 100 times a second,
#             while measuring), or any other text, sent as it is with the status "status";
#   "measuring": whether a measurement runs before a start command (default true);
#   "delay": seconds to wait before answering (a phone that hangs).
import argparse, json, math, random, socket, threading, time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, parse_qsl

parser = argparse.ArgumentParser()
parser.add_argument('--descriptor', type=int)
parser.add_argument('--port', type=int)
parser.add_argument('--scenario')
options = parser.parse_args()

lock = threading.Lock()
state = {'started': False, 'since': time.monotonic()}


def scenario():
    if not options.scenario:
        return {}
    try:
        with open(options.scenario) as f:
            return json.load(f)
    except FileNotFoundError:
        return {}


def live(names, measuring):
    # Sampled every 10 ms from the start of the measurement, with a sensor's noise; the buffers
    # hold the latest sample.
    t = math.floor((time.monotonic() - state['since']) * 100) / 100
    noise = random.Random(t).gauss
    values = {'magT': t, 'accT': t,
              'magX': 20 + 5 * math.sin(t) + noise(0, 0.4), 'magY': -10 + noise(0, 0.4),
              'magZ': -40 + noise(0, 0.4), 'accX': 0.1 * math.sin(7 * t) + noise(0, 0.02),
              'accY': noise(0, 0.02), 'accZ': noise(0, 0.02)}
    buffers = {name: {'size': 1, 'updateMode': 'full',
                      'buffer': [values[name]] if name in values else []}
               for name in names if name in values}
    return json.dumps({'buffer': buffers,
                       'status': {'session': '5f3c2a', 'measuring': measuring,
                                  'timedRun': False, 'countDown': 0}})


class Phone(BaseHTTPRequestHandler):
    def do_GET(self):
        print('GET ' + self.path, flush=True)
        settings = scenario()
        url = urlsplit(self.path)
        with lock:
            measuring = state['started'] or settings.get('measuring', True)
        status = 200
        if url.path == '/control':
            command = dict(parse_qsl(url.query)).get('cmd')
            with lock:
                if command == 'start' and not measuring:
                    state['started'] = True
                    state['since'] = time.monotonic()
            body = json.dumps({'result': command in ('start', 'stop', 'clear')})
        elif url.path == '/get':
            time.sleep(settings.get('delay', 0))
            answer = settings.get('answer', 'live')
            if answer == 'live':
                body = live([name for name, _ in parse_qsl(url.query, keep_blank_values=True)],
                            measuring)
            else:
                body = answer
                status = settings.get('status', 200)
        else:
            status, body = 404, 'not found'
        data = body.encode()
        self.send_response(status)
        self.send_header('Content-Type', 'application/json')
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        try:
            self.wfile.write(data)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up waiting

    def log_message(self, *arguments):
        pass


ThreadingHTTPServer.daemon_threads = True
if options.descriptor is not None:
    server = ThreadingHTTPServer(('127.0.0.1', 0), Phone, bind_and_activate=False)
    server.socket.close()
    server.socket = socket.socket(fileno=options.descriptor)
else:
    server = ThreadingHTTPServer(('127.0.0.1', options.port or 8080), Phone)
    print('serving on http://127.0.0.1:%d' % server.server_address[1], flush=True)
server.serve_forever()
