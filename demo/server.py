#!/usr/bin/env python3
"""The demo service: a small stand-in for the game's service, so that the whole road (the
launcher, the login page, the game window) can be seen on one machine.

It answers for the hosts of the client's default service.ini, told apart by the Host
header (the browser maps them all to this server):

- www.vexmor.test: the access page /game/s/wdAccess/?name=vexmor (the account values it
  received and a sign-in form), the sign-in step /game/s/login that redirects to the game
  address (so the login browser itself stays on the sign-in page),
  links that open popups, and the service pages the client never loads (/kefu/, /AboutUs,
  password recovery, mg/s/new_server/).
- pay.vexmor.test: the payment page (the client sends it to the system browser).
- vexmor.vexmor.test: the game under /wd/, a small canvas game with sound and a button that
  calls the client's "ShowMessageBox".

Standard library only. `server.py --port 0` picks a free port and prints it on its first
line ("port N").
"""

import argparse
import html
import http.server
import socketserver
import sys
import urllib.parse

SITE = "www.vexmor.test"
PAYMENT = "pay.vexmor.test"
GAME = "vexmor.vexmor.test"

STYLE = """
body { margin: 0; font: 14px/1.45 'DejaVu Sans', Tahoma, sans-serif; color: #e9e4d4;
       background: #0e1526; }
a { color: #e0b252; }
.page { padding: 8px 16px; }
h1 { font: bold 16px 'DejaVu Serif', Georgia, serif; color: #f1e9d2; margin: 0 0 4px; }
.values { font-size: 12px; color: #a9b6c8; margin: 0 0 4px; }
.values b { color: #e9e4d4; font-weight: normal; }
label { display: block; font-size: 12px; color: #a9b6c8; margin-top: 3px; }
input { width: 100%; box-sizing: border-box; padding: 3px 7px; border: 1px solid #2a3a55;
        background: #141d31; color: #f1e9d2; border-radius: 3px; }
button { margin-top: 8px; padding: 5px 16px; border: 0; border-radius: 3px;
         background: #e0b252; color: #1a1408; font-weight: bold; cursor: pointer; }
.links { margin-top: 6px; font-size: 11px; line-height: 1.6; }
.links a { margin-right: 8px; white-space: nowrap; }
"""


def page(title, body, script=""):
    return ("<!doctype html><html><head><meta charset='utf-8'><title>%s</title>"
            "<style>%s</style></head><body>%s<script>%s</script></body></html>"
            % (html.escape(title), STYLE, body, script))


# With --tour the pages go on by themselves (sign-in after a few seconds, then the game's
# message button), so that a script can take pictures of a whole round.
# The tour signs in once: back from the game, the sign-in page stays.
TOUR_SIGN_IN = ("if (!sessionStorage.getItem('toured')) {"
                "  sessionStorage.setItem('toured', '1');"
                "  setTimeout(() => document.getElementById('signin').submit(), 4000);"
                "}")
TOUR_GAME = ("setTimeout(() => document.getElementById('message').click(), 4000);"
             "setInterval(() => { basket = 0.5 + 0.4 * Math.sin(performance.now() / 900); }, 50);")


def access_page(query, tour=False):
    values = urllib.parse.parse_qs(query, keep_blank_values=True)

    def shown(key):
        return html.escape(values.get(key, [""])[0]) or "<i>empty</i>"
    body = """
<div class='page'>
  <h1>Sign in to Vexmor</h1>
  <p class='values'>Account: uid <b id='uid'>%s</b> &middot; suid <b id='suid'>%s</b>
     &middot; token <b id='token'>%s</b></p>
  <form id='signin' action='/game/s/login' method='get'>
    <input type='hidden' name='uid' value='%s'>
    <label>Hero name<input name='hero' value='Wanderer'></label>
    <label>Password<input name='password' type='password' value='demo'></label>
    <button id='enter' type='submit'>Enter the realm</button>
  </form>
  <div class='links'>
    <a href='http://%s/order' target='_blank'>Buy gold</a>
    <a href='/kefu/' >Support</a>
    <a href='/AboutUs'>About us</a>
    <a href='/index.php?m=mymember&amp;c=forgetPassword'>Forgot password?</a>
    <a href='/mg/s/new_server/'>New realm</a>
    <a href='#' onclick="window.open('https://news.vexmor.test/'); return false;">News</a>
  </div>
</div>""" % (shown("uid"), shown("suid"), shown("token"),
             html.escape(values.get("uid", [""])[0], quote=True), PAYMENT)
    return page("Vexmor - sign in", body, TOUR_SIGN_IN if tour else "")


def game_address(hero):
    # The title parts travel percent-encoded after "|" (text of the system code page; these
    # are plain ASCII so that every code page reads them alike).
    first = urllib.parse.quote("Vexmor Realm 7", safe="")
    second = urllib.parse.quote("Frost Keep", safe="")
    query = urllib.parse.urlencode({"m": "game", "hero": hero})
    return "http://%s/wd/index.html?%s|%s|%s" % (GAME, query, first, second)


def sign_in_target(query):
    """Where the sign-in step sends the browser: straight to the game, by a redirect, as a
    real service does. The login browser never lands on a page of its own here, so a
    reload of that browser (when the player comes back from the game) shows the sign-in
    page again rather than a page that goes to the game once more."""
    hero = urllib.parse.parse_qs(query).get("hero", ["Wanderer"])[0]
    return game_address(hero)


SERVICE_PAGES = {
    "/kefu/": ("Support", "Write to the support desk."),
    "/AboutUs": ("About us", "The studio behind Tarnwick."),
    "/index.php?m=mymember&c=forgetPassword": ("Password", "Recover your password."),
    "/mg/s/new_server/": ("New realm", "A new realm opens soon."),
}

GAME_PAGE = r"""<!doctype html><html><head><meta charset='utf-8'><title>Vexmor</title>
<style>
html, body { margin: 0; height: 100%; background: #0b1120; overflow: hidden;
             font: 14px 'DejaVu Sans', Tahoma, sans-serif; color: #f1e9d2; }
canvas { display: block; width: 100%; height: 100%; }
#bar { position: fixed; left: 12px; top: 10px; display: flex; gap: 10px; align-items: center; }
button { padding: 6px 14px; border: 0; border-radius: 3px; background: #e0b252;
         color: #1a1408; font-weight: bold; cursor: pointer; }
#score { font: bold 18px 'DejaVu Serif', serif; }
#reply { color: #a9b6c8; font-size: 12px; }
</style></head><body>
<canvas id='game'></canvas>
<div id='bar'><span id='score'>Stars: 0</span>
  <button id='message'>Send a raven</button><span id='reply'></span></div>
<script>
const canvas = document.getElementById('game');
const ctx = canvas.getContext('2d');
let width = 0, height = 0, basket = 0.5, score = 0, stars = [], last = performance.now();
let audio = null;
function resize() { width = canvas.width = innerWidth; height = canvas.height = innerHeight; }
addEventListener('resize', resize); resize();
function chime(pitch) {
  audio = audio || new AudioContext();
  const osc = audio.createOscillator(), gain = audio.createGain();
  osc.frequency.value = pitch; osc.type = 'triangle';
  gain.gain.setValueAtTime(0.2, audio.currentTime);
  gain.gain.exponentialRampToValueAtTime(0.001, audio.currentTime + 0.4);
  osc.connect(gain).connect(audio.destination); osc.start(); osc.stop(audio.currentTime + 0.4);
}
addEventListener('mousemove', e => { basket = e.clientX / width; });
addEventListener('keydown', e => {
  if (e.key === 'ArrowLeft') basket = Math.max(0, basket - 0.05);
  if (e.key === 'ArrowRight') basket = Math.min(1, basket + 0.05);
});
function step(now) {
  const dt = Math.min(0.05, (now - last) / 1000); last = now;
  if (Math.random() < dt * 1.5) stars.push({x: Math.random(), y: -0.05, v: 0.15 + Math.random() * 0.2});
  const sky = ctx.createLinearGradient(0, 0, 0, height);
  sky.addColorStop(0, '#0b1124'); sky.addColorStop(1, '#2c4a60');
  ctx.fillStyle = sky; ctx.fillRect(0, 0, width, height);
  ctx.fillStyle = '#101a2b'; ctx.fillRect(0, height * 0.88, width, height * 0.12);
  for (const s of stars) {
    s.y += s.v * dt;
    ctx.fillStyle = '#f4eac8'; ctx.beginPath();
    ctx.arc(s.x * width, s.y * height, 7, 0, Math.PI * 2); ctx.fill();
    if (s.y > 0.84 && s.y < 0.9 && Math.abs(s.x - basket) < 0.06) {
      s.caught = true; score++; chime(440 + (score % 8) * 60);
      document.getElementById('score').textContent = 'Stars: ' + score;
    }
  }
  stars = stars.filter(s => !s.caught && s.y < 1.1);
  ctx.fillStyle = '#e0b252';
  ctx.fillRect(basket * width - width * 0.06, height * 0.86, width * 0.12, 10);
  requestAnimationFrame(step);
}
requestAnimationFrame(step);
document.getElementById('message').onclick = () => {
  chime(660);
  if (!window.VokCefWebInstance) {
    document.getElementById('reply').textContent = 'Open the game in the Tarnwick client.';
    return;
  }
  VokCefWebInstance.call('ShowMessageBox', 'A raven flies to the keep: ' + score + ' stars caught.',
    (error, result) => {
      document.getElementById('reply').textContent = error ? 'no answer' : result.message;
    });
};
</script></body></html>"""


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "VexmorDemo/1.0"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s %s\n" % (self.headers.get("Host", "-"), fmt % args))

    def send_page(self, text, status=200):
        data = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def send_redirect(self, target):
        self.send_response(302)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_GET(self):
        host = (self.headers.get("Host") or "").split(":")[0].lower()
        path, _, query = self.path.partition("?")
        if host == PAYMENT:
            return self.send_page(page("Vexmor - payment", "<div class='page'><h1>Buy gold"
                                       "</h1><p>The payment desk.</p></div>"))
        if host == GAME:
            if path.startswith("/wd/"):
                tour = "<script>%s</script></body>" % TOUR_GAME if self.server.tour else "</body>"
                return self.send_page(GAME_PAGE.replace("</body>", tour))
            return self.send_page(page("Vexmor", "<div class='page'>The realm's shop.</div>"))
        if path == "/game/s/wdAccess/":
            return self.send_page(access_page(query, self.server.tour))
        if path == "/game/s/login":
            return self.send_redirect(sign_in_target(query))
        if self.path in SERVICE_PAGES or path in SERVICE_PAGES:
            title, text = SERVICE_PAGES.get(self.path) or SERVICE_PAGES[path]
            return self.send_page(page(title, "<div class='page'><h1>%s</h1><p>%s</p></div>"
                                       % (title, text)))
        if path == "/":
            return self.send_page(page("Vexmor", "<div class='page'><h1>Vexmor</h1>"
                                       "<a href='/game/s/wdAccess/?name=vexmor'>Sign in</a>"
                                       "</div>"))
        self.send_page(page("Not found", "<div class='page'>Not found.</div>"), 404)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--tour", action="store_true", help="the pages go on by themselves")
    args = parser.parse_args()
    server = Server(("127.0.0.1", args.port), Handler)
    server.verbose = args.verbose
    server.tour = args.tour
    print("port %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
