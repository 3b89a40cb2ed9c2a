#!/usr/bin/python3
"""The served windows as a user meets them: programs started with a served
address, their page in headless Chromium driven through WebDriver, and raw
sockets for what a browser would never send. Run by CTest; each scenario
starts its own program on a free port."""

import argparse
import base64
import hashlib
import os
import re
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

ARGUMENTS = None
FAILURES = []


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_for(condition, seconds, message, interval=0.05):
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError('timed out: ' + (message() if callable(message) else message))
        time.sleep(interval)


class served_program:
    """A program serving its windows on a free port; its standard error is
    collected as it comes, standard output kept whole."""

    def __init__(self, command, extra_environment=None, folder=None, display=None):
        environment = dict(os.environ)
        environment['QT_QPA_PLATFORM'] = 'offscreen'
        if display:
            del environment['QT_QPA_PLATFORM']
            environment['DISPLAY'] = display
        environment.setdefault('MAPPLOT_SERVE', '0')
        environment.update(extra_environment or {})
        self.folder = folder or tempfile.mkdtemp(prefix='served-')
        self.process = subprocess.Popen(command, cwd=self.folder, env=environment,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.error_lines = []
        self.output = b''
        self.address = None
        found = threading.Event()

        def read_errors():
            for raw in self.process.stderr:
                line = raw.decode(errors='replace').rstrip('\n')
                self.error_lines.append(line)
                match = re.search(r'serving the windows at (http://\S+)', line)
                if match:
                    self.address = match.group(1)
                    found.set()
            found.set()

        def read_output():
            while True:
                chunk = self.process.stdout.read1(65536)
                if not chunk:
                    break
                self.output += chunk

        self.readers = [threading.Thread(target=read_errors, daemon=True),
                        threading.Thread(target=read_output, daemon=True)]
        for reader in self.readers:
            reader.start()
        found.wait(60)
        check(self.address, 'no address on standard error: %r' % self.error_lines)
        match = re.match(r'http://([^:/]+):(\d+)/\?token=([0-9a-f]+)$', self.address)
        check(match, 'unexpected address line: ' + self.address)
        self.host, self.port, self.token = match.group(1), int(match.group(2)), match.group(3)
        check(len(self.token) >= 32, '128 bits of token: ' + self.token)

    def release(self):
        """Lets a program started with "hold" draw."""
        self.process.stdin.write(b'\n')
        self.process.stdin.flush()

    def base(self):
        return 'http://%s:%d' % (self.host, self.port)

    def wait(self, seconds):
        status = self.process.wait(seconds)
        for reader in self.readers:
            reader.join(10)
        return status

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def http_status(address):
    try:
        with urllib.request.urlopen(address, timeout=30) as answer:
            return answer.status, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()


class raw_websocket:
    """Just enough of a WebSocket client to open one and then read, or not."""

    def __init__(self, program, token, path='/socket'):
        self.connection = socket.create_connection((program.host, program.port), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        query = '' if token is None else '?token=' + token
        self.connection.sendall((
            'GET %s%s HTTP/1.1\r\nHost: %s:%d\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
            'Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n'
            % (path, query, program.host, program.port, key)).encode())
        self.buffer = b''
        while b'\r\n\r\n' not in self.buffer:
            chunk = self.connection.recv(4096)
            if not chunk:
                break
            self.buffer += chunk
        head, _, self.buffer = self.buffer.partition(b'\r\n\r\n')
        self.status = head.split(b'\r\n')[0].decode(errors='replace')

    def read_message(self):
        """(opcode, payload), or None once the connection has ended."""
        def take(count):
            while len(self.buffer) < count:
                chunk = self.connection.recv(65536)
                if not chunk:
                    return None
                self.buffer += chunk
            data, self.buffer = self.buffer[:count], self.buffer[count:]
            return data
        head = take(2)
        if head is None:
            return None
        length = head[1] & 0x7f
        if length == 126:
            length = struct.unpack('>H', take(2))[0]
        elif length == 127:
            length = struct.unpack('>Q', take(8))[0]
        payload = take(length)
        return None if payload is None else (head[0] & 0x0f, payload)

    def close(self):
        self.connection.close()


def browser(downloads=None):
    options = webdriver.ChromeOptions()
    if downloads:
        options.add_experimental_option('prefs', {'download.default_directory': downloads,
                                                  'download.prompt_for_download': False})
    options.binary_location = '/usr/bin/chromium'
    for option in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
                   '--window-size=1100,1000', '--user-data-dir=' + tempfile.mkdtemp(prefix='chromium-')):
        options.add_argument(option)
    driver = webdriver.Chrome(service=Service(ARGUMENTS.chromedriver), options=options)
    driver.set_script_timeout(60)
    if downloads:
        driver.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': downloads})
    return driver


def settled_frame(driver, window):
    """The frame shown once no other has come for a second."""
    frame, since = None, time.monotonic()
    deadline = since + 30
    while time.monotonic() < deadline:
        now = shown_frame(driver, window)
        if now != frame:
            frame, since = now, time.monotonic()
        elif time.monotonic() - since >= 1:
            return frame
        time.sleep(0.05)
    raise AssertionError('frames kept coming while paused')


def shown_frame(driver, window):
    return driver.execute_script('return window.mapplotServed && window.mapplotServed.frames[arguments[0]] || 0;', window)


def status_text(driver):
    return driver.find_element(By.ID, 'status').text


def canvas_pixels(driver, window):
    """A digest of what window `window`'s canvas shows, with its size."""
    return driver.execute_script('''
        const canvas = document.querySelector('section[data-number="' + arguments[0] + '"] canvas');
        const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let hash = 0;
        for (let index = 0; index < data.length; ++index) hash = (hash * 31 + data[index]) >>> 0;
        return [canvas.width, canvas.height, hash];''', window)


def file_pixels(driver, path):
    """The same digest of a PNG file, decoded by the browser itself."""
    with open(path, 'rb') as picture:
        encoded = base64.b64encode(picture.read()).decode()
    return driver.execute_async_script('''
        const done = arguments[arguments.length - 1];
        const image = new Image();
        image.onload = () => {
          const canvas = document.createElement('canvas');
          canvas.width = image.width;
          canvas.height = image.height;
          const context = canvas.getContext('2d');
          context.drawImage(image, 0, 0);
          const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
          let hash = 0;
          for (let index = 0; index < data.length; ++index) hash = (hash * 31 + data[index]) >>> 0;
          done([canvas.width, canvas.height, hash]);
        };
        image.onerror = () => done(null);
        image.src = 'data:image/png;base64,' + arguments[0];''', encoded)


def press(driver, key):
    ActionChains(driver).send_keys(key).perform()


def pointer(driver, window, kind, x, y, extra=None):
    """Sends a mouse or wheel event at frame pixel (x, y) of a window's canvas."""
    driver.execute_script('''
        const [number, kind, x, y, extra] = arguments;
        const canvas = document.querySelector('section[data-number="' + number + '"] canvas');
        const box = canvas.getBoundingClientRect();
        const init = Object.assign({bubbles: true, cancelable: true, button: 0,
            clientX: box.left + (x + 0.5) * box.width / canvas.width,
            clientY: box.top + (y + 0.5) * box.height / canvas.height}, extra || {});
        const target = kind === 'mouseup' ? window : canvas;
        target.dispatchEvent(kind === 'wheel' ? new WheelEvent(kind, init) : new MouseEvent(kind, init));''',
        window, kind, x, y, extra)


def strip(driver, window):
    return driver.execute_script('return (window.mapplotServed.strips[arguments[0]] || []).slice();', window)


# The scenarios.

def scenario_token_and_malformed_requests():
    program = served_program([ARGUMENTS.map, '100000', '5'])
    try:
        page = program.address
        status, body = http_status(page)
        check(status == 200 and b'<script>' in body, 'the page with the token: %d' % status)
        for address in (program.base() + '/', program.base() + '/?token=0' + program.token[1:],
                        program.base() + '/?token=' + program.token[:-1],
                        program.base() + '/socket', program.base() + '/nothing'):
            status, body = http_status(address)
            check(status == 403 and b'script' not in body, '403 without the token: %s %d' % (address, status))
        status, _ = http_status(program.base() + '/nothing?token=' + program.token)
        check(status == 404, 'unknown path: %d' % status)

        # A WebSocket without the token is refused before anything of the maps goes out.
        for token in (None, 'f' * 32):
            refused = raw_websocket(program, token)
            message = refused.read_message() if ' 101 ' in refused.status else None
            check(' 403 ' in refused.status or message is None or message[0] == 8,
                  'a WebSocket without the token: %s %r' % (refused.status, message))
            if message is not None:
                check(refused.read_message() is None, 'nothing after the refusal')
            refused.close()
        accepted = raw_websocket(program, program.token)
        check(' 101 ' in accepted.status, 'the WebSocket with the token: ' + accepted.status)
        hello = accepted.read_message()
        check(hello and hello[0] == 1 and b'"hello"' in hello[1], 'hello first: %r' % (hello,))
        accepted.close()

        # Malformed, huge and slow requests cost a connection, never the server.
        def answer_to(data, seconds=30):
            connection = socket.create_connection((program.host, program.port), timeout=seconds)
            try:
                connection.sendall(data)
            except OSError:
                return b''
            received = b''
            try:
                while True:
                    chunk = connection.recv(65536)
                    if not chunk:
                        break
                    received += chunk
            except OSError:
                pass
            connection.close()
            return received
        check(not answer_to(b'\x16\x03\x01\x02\x00garbage\r\n\r\n').startswith(b'HTTP/1.1 200'),
              'a TLS hello or garbage')
        check(not answer_to(b'GET / HTTP/1.1\r\nX: ' + b'a' * 300000 + b'\r\n\r\n').startswith(b'HTTP/1.1 200'),
              'a huge header')
        check(not answer_to(b'GET /?token=' + program.token.encode() + b' HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n' + b'x' * 2000000).startswith(b'HTTP/1.1 200'),
              'a huge body')
        started = time.monotonic()
        slow = answer_to(b'GET / HTTP/1.1\r\nHost: x\r\n', seconds=40)
        check(slow == b'' and time.monotonic() - started < 35, 'a slow client is dropped')

        # Connections are bounded; the server answers again once they go.
        idle = [socket.create_connection((program.host, program.port), timeout=30) for _ in range(24)]
        time.sleep(1)
        refused = 0
        for connection in idle:
            connection.settimeout(0.2)
            try:
                if connection.recv(1) == b'':
                    refused += 1
            except socket.timeout:
                pass
            except OSError:
                refused += 1
        check(refused >= 8, 'connections beyond the bound are closed (%d of 24)' % refused)
        for connection in idle:
            connection.close()

        def served_again():
            try:
                return http_status(page)[0] == 200
            except OSError:
                return False
        wait_for(served_again, 20, 'served again after the flood', interval=0.5)
        check(program.process.poll() is None, 'the program still runs')
    finally:
        program.stop()


def scenario_zoom_frames_whole_and_unchanged_output():
    plain = subprocess.run([ARGUMENTS.zoom, '--offscreen'], capture_output=True, timeout=600,
                           cwd=tempfile.mkdtemp(prefix='plain-'))
    check(plain.returncode == 0, 'julia_zoom without serving')
    folder = tempfile.mkdtemp(prefix='zoom-')
    program = served_program([ARGUMENTS.zoom, '--offscreen', '--serve=127.0.0.1:0', '--frames', 'frames'],
                             extra_environment={'MAPPLOT_SERVE': 'not an address'}, folder=folder)
    downloads = tempfile.mkdtemp(prefix='downloads-')
    driver = browser(downloads)
    try:
        driver.get(program.address)
        wait_for(lambda: shown_frame(driver, 101) >= 1, 60, 'a first frame')
        press(driver, Keys.SPACE)
        wait_for(lambda: status_text(driver) == 'paused', 30, 'paused')
        # Paused: the frame shown stays, and is the program's frame, whole.
        frame = settled_frame(driver, 101)
        expected = file_pixels(driver, os.path.join(folder, 'frames', 'frame-%03d.png' % frame))
        check(expected is not None, 'frame file %d' % frame)
        check(canvas_pixels(driver, 101) == expected, 'the canvas shows frame %d whole' % frame)
        # Steps go one frame at a time.
        press(driver, Keys.ARROW_RIGHT)
        wait_for(lambda: shown_frame(driver, 101) == frame + 1, 30, 'a step')
        press(driver, '.')
        wait_for(lambda: shown_frame(driver, 101) == frame + 2, 30, 'another step')
        check(settled_frame(driver, 101) == frame + 2, 'no more than the steps')
        expected = file_pixels(driver, os.path.join(folder, 'frames', 'frame-%03d.png' % (frame + 2)))
        check(canvas_pixels(driver, 101) == expected, 'the stepped frame whole')
        # Ctrl+S: the browser downloads the picture as shown.
        ActionChains(driver).key_down(Keys.CONTROL).send_keys('s').key_up(Keys.CONTROL).perform()
        saved = os.path.join(downloads, 'julia_zoom-window-101-%d.png' % (frame + 2))
        wait_for(lambda: os.path.exists(saved), 30, 'the downloaded picture ' + saved)
        check(file_pixels(driver, saved) == expected, 'the download is the picture shown')
        press(driver, Keys.SPACE)
        wait_for(lambda: status_text(driver) == 'finished', 300, 'the end of the zoom')
        drawn, first = driver.execute_script(
            'return [window.mapplotServed.drawn, window.mapplotServed.first[101]];')
        print('     the browser drew %d of frames %d to 335' % (drawn, first), flush=True)
        # Paced for the viewer: from its first frame on it saw most frames (a
        # busy machine may make it miss some), though the zoom alone runs
        # through all 335 in the time of a few dozen refreshes.
        check(drawn >= 0.5 * (335 - first + 1), 'frames drawn while watched: %d of %d' % (drawn, 335 - first + 1))
        check(program.process.poll() is None, 'the run waits at the end while watched')
        expected = file_pixels(driver, os.path.join(folder, 'frames', 'frame-335.png'))
        check(canvas_pixels(driver, 101) == expected, 'the last frame whole')
        driver.find_element(By.ID, 'close').click()
        status = program.wait(60)
        check(status == 0, 'closed from the page: %r %r' % (status, program.error_lines[-20:]))
        check(program.output == plain.stdout, 'standard output unchanged by serving')
    finally:
        driver.quit()
        program.stop()


def cell_reading(driver, window, x, y):
    pointer(driver, window, 'mousemove', x, y)
    return wait_for(lambda: (lambda lines: lines if len(lines) == 4 else None)(strip(driver, window)),
                    20, 'a strip')


def scenario_viewing():
    program = served_program([ARGUMENTS.map, '3', '0', 'hold'])
    driver = browser()
    try:
        driver.get(program.address)
        wait_for(lambda: status_text(driver) == 'running', 60, 'the page connected')
        program.release()
        wait_for(lambda: status_text(driver) == 'finished', 120, 'the map program to finish')
        wait_for(lambda: shown_frame(driver, 101) == 3, 30, 'the last frame')
        whole = canvas_pixels(driver, 101)
        width, height = whole[0], whole[1]
        # Hover over the picture: where a cell is drawn, the readout says which
        # one and its value, as the data has it for the frame shown (frame 3:
        # value (i + 10 j + 2) mod 60 at x = 10 + i, y = 20 + 2 j).
        seen = set()
        for row in range(0, height, max(1, height // 24)):
            for column in range(0, width, max(1, width // 24)):
                lines = cell_reading(driver, 101, column, row)
                cell = lines[2]
                if not cell:
                    continue
                match = re.match(r'cell (\d+), (\d+)\s+x = (\S+)\s+y = (\S+)\s+value = (\S+)$', cell)
                check(match, 'a cell readout gives its indices, x, y and value: %r' % cell)
                i, j = int(match.group(1)), int(match.group(2))
                x, y, value = (float(group) for group in match.groups()[2:])
                check(0 <= i < 8 and 0 <= j < 6 and x == 10 + i and y == 20 + 2 * j,
                      'the cell and its coordinates: %r' % cell)
                check(value == (i + 10 * j + 2) % 60, 'the value of cell (%d, %d): %r' % (i, j, cell))
                check(lines[1].startswith('at x = '), 'the point under the cursor: %r' % lines[1])
                seen.add((i, j))
        check(len(seen) >= 30, 'the readout covers the map (%d cells)' % len(seen))

        # The wheel zooms around the cursor, drawn again from the kept map;
        # Home shows the whole map again.
        centre = None
        for row in range(height // 4, height, max(1, height // 24)):
            if cell_reading(driver, 101, width // 3, row)[2]:
                centre = (width // 3, row)
                break
        check(centre, 'a pixel over the map')
        before = cell_reading(driver, 101, *centre)[2]
        pointer(driver, 101, 'wheel', centre[0], centre[1], {'deltaY': -300})
        wait_for(lambda: canvas_pixels(driver, 101) != whole, 30, 'the zoomed picture')
        zoomed = canvas_pixels(driver, 101)
        check(zoomed[:2] == whole[:2], 'zoomed at the same resolution')
        check(cell_reading(driver, 101, *centre)[2] == before, 'the cell under the cursor stays put')
        check(strip(driver, 101)[0].startswith('shown: x '), 'the strip says what is shown: %r' % strip(driver, 101))
        # Dragging moves the view.
        pointer(driver, 101, 'mousedown', centre[0], centre[1])
        pointer(driver, 101, 'mousemove', centre[0] + 20, centre[1] + 10)
        pointer(driver, 101, 'mouseup', centre[0] + 20, centre[1] + 10)
        wait_for(lambda: canvas_pixels(driver, 101) not in (whole, zoomed), 30, 'the dragged picture')
        pointer(driver, 101, 'mousemove', centre[0], centre[1])
        press(driver, Keys.HOME)
        wait_for(lambda: canvas_pixels(driver, 101) == whole, 30, 'Home shows the whole map')
        wait_for(lambda: not strip(driver, 101)[0].startswith('shown:'), 10,
                 lambda: 'the strip says the whole map is shown: %r' % strip(driver, 101))
        # The keys' help, as the model gives it.
        press(driver, Keys.F1)
        help_text = wait_for(lambda: driver.execute_script(
            'const help = document.querySelector("pre.help"); return help.hidden ? "" : help.textContent;'),
            10, 'the help')
        check('Space' in help_text, 'the help lists the keys: %r' % help_text)
        driver.find_element(By.ID, 'close').click()
        status = program.wait(60)
        check(status == 0, 'closed from the page: %r %r' % (status, program.error_lines[-20:]))
    finally:
        driver.quit()
        program.stop()


def scenario_two_browsers_and_a_stalled_viewer():
    frames = 200
    program = served_program([ARGUMENTS.map, str(frames), '0', 'hold'])
    drivers = [browser(), browser()]
    stalled = raw_websocket(program, program.token)
    check(' 101 ' in stalled.status, 'the stalled viewer connects')
    try:
        for driver in drivers:
            driver.get(program.address)
            wait_for(lambda: status_text(driver) == 'running', 60, 'the page connected')
        program.release()
        started = time.monotonic()
        for driver in drivers:
            wait_for(lambda: status_text(driver) == 'finished', 300, 'both browsers see the end')
        # The viewer that never read held nobody up beyond the paint wait, and
        # both browsers saw the frames go by.
        for driver in drivers:
            check(shown_frame(driver, 101) == frames, 'the last frame in each browser')
            drawn, first = driver.execute_script(
                'return [window.mapplotServed.drawn, window.mapplotServed.first[101]];')
            print('     a browser drew %d of %d frames' % (drawn, frames), flush=True)
            # Unpaced, the frames would be gone in a few refreshes.
            check(first == 1 and drawn >= 0.5 * frames,
                  'frames shown in each browser: %d from frame %d' % (drawn, first))
        # The stalled viewer is dropped; the run still waits for the browsers.
        wait_for(lambda: stalled.connection.recv(1 << 20) == b'', 60, 'the stalled viewer dropped', interval=0)
        check(program.process.poll() is None, 'waiting at the end while browsers watch')
        drivers[0].quit()
        time.sleep(1)
        check(program.process.poll() is None, 'still watched by the second browser')
        drivers[1].find_element(By.ID, 'close').click()
        status = program.wait(60)
        check(status == 0, 'closed from the second browser: %r %r' % (status, program.error_lines[-30:]))
        check(time.monotonic() - started < 240, 'the run kept its pace')
        lines = program.output.decode().splitlines()
        check([line.strip() for line in lines] == ['frame %d' % frame for frame in range(frames)],
              'every console line, once')
    finally:
        stalled.close()
        for driver in drivers:
            try:
                driver.quit()
            except Exception:
                pass
        program.stop()


def scenario_unwatched_and_signalled_runs():
    # Nobody watching: the run ends by itself, as it would without serving.
    program = served_program([ARGUMENTS.map, '5', '0'])
    check(program.wait(120) == 0, 'an unwatched served run ends with 0')
    check(os.path.exists(os.path.join(program.folder, 'served_map-window-101.png')), 'its picture')
    # Watched at the end, a signal ends the wait, and the status says so.
    program = served_program([ARGUMENTS.map, '5', '0'])
    viewer = raw_websocket(program, program.token)
    try:
        while True:
            message = viewer.read_message()
            check(message is not None, 'the viewer sees the end')
            if message[0] == 1 and b'"finished":true' in message[1]:
                break
        time.sleep(0.5)
        check(program.process.poll() is None, 'the watched run waits at the end')
        program.process.send_signal(signal.SIGTERM)
        check(program.wait(60) == -signal.SIGTERM, 'ended by the signal')
    finally:
        viewer.close()
        program.stop()
    # A bad address is a clear error before anything runs.
    result = subprocess.run([ARGUMENTS.map, '1', '0'], capture_output=True, timeout=120,
                            env=dict(os.environ, MAPPLOT_SERVE='127.0.0.1:99999', QT_QPA_PLATFORM='offscreen'))
    check(result.returncode == 1 and b'MAPPLOT_SERVE' in result.stderr and result.stdout == b'',
          'a bad MAPPLOT_SERVE: %r' % result.stderr)


def x_server():
    """An Xvfb of our own on a free display: (process, ":N")."""
    reading, writing = os.pipe()
    server = subprocess.Popen(['Xvfb', '-displayfd', str(writing), '-screen', '0', '1280x1024x24',
                               '-nolisten', 'tcp'], pass_fds=(writing,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(writing)
    number = b''
    while not number.endswith(b'\n'):
        chunk = os.read(reading, 16)
        if not chunk:
            break
        number += chunk
    os.close(reading)
    check(number.strip(), 'Xvfb gave no display')
    return server, ':' + number.decode().strip()


def scenario_on_screen():
    # On screen the windows pace the run; the page steers it all the same,
    # and closes the finished program as the closing question would.
    server, display = x_server()
    program = served_program([ARGUMENTS.map, '200', '0', 'hold'], display=display)
    driver = browser()
    try:
        driver.get(program.address)
        wait_for(lambda: status_text(driver) == 'running', 60, 'the page connected')
        program.release()
        wait_for(lambda: shown_frame(driver, 101) >= 5, 60, 'frames from the window on screen')
        press(driver, Keys.SPACE)
        wait_for(lambda: status_text(driver) == 'paused', 30, 'paused')
        frame = settled_frame(driver, 101)
        press(driver, '.')
        wait_for(lambda: shown_frame(driver, 101) == frame + 1, 30, 'a step on screen')
        press(driver, Keys.SPACE)
        wait_for(lambda: status_text(driver) == 'finished', 120, 'the end on screen')
        # The frame window asks whether to close; the page may answer.
        time.sleep(0.5)
        check(program.process.poll() is None, 'waiting for the closing question')
        driver.find_element(By.ID, 'close').click()
        status = program.wait(60)
        check(status == 0, 'closed from the page on screen: %r %r' % (status, program.error_lines[-20:]))
    finally:
        driver.quit()
        program.stop()
        server.kill()
        server.wait()


SCENARIOS = [scenario_token_and_malformed_requests, scenario_zoom_frames_whole_and_unchanged_output,
             scenario_viewing, scenario_two_browsers_and_a_stalled_viewer,
             scenario_unwatched_and_signalled_runs, scenario_on_screen]


def main():
    global ARGUMENTS
    parser = argparse.ArgumentParser()
    parser.add_argument('--zoom', required=True)
    parser.add_argument('--map', required=True)
    parser.add_argument('--chromedriver', required=True)
    parser.add_argument('--only', default='')
    ARGUMENTS = parser.parse_args()
    for scenario in SCENARIOS:
        if ARGUMENTS.only and ARGUMENTS.only not in scenario.__name__:
            continue
        started = time.monotonic()
        try:
            scenario()
            print('ok   %s (%.1f s)' % (scenario.__name__, time.monotonic() - started), flush=True)
        except Exception as error:
            FAILURES.append(scenario.__name__)
            print('FAIL %s: %s' % (scenario.__name__, error), flush=True)
    return 1 if FAILURES else 0


if __name__ == '__main__':
    sys.exit(main())
