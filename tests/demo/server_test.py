#!/usr/bin/env python3
"""The demo service as the client's browser meets it: started as `make run` starts it, asked
over HTTP with the Host header of each of its hosts."""

import http.client
import os
import subprocess
import sys
import unittest
import urllib.parse

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo",
                      "server.py")


class DemoService(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.process = subprocess.Popen([sys.executable, SERVER, "--port", "0"],
                                       stdout=subprocess.PIPE, text=True)
        first = cls.process.stdout.readline().split()
        cls.port = int(first[1]) if len(first) == 2 and first[0] == "port" else 0

    @classmethod
    def tearDownClass(cls):
        cls.process.terminate()
        cls.process.wait(timeout=30)
        cls.process.stdout.close()

    def get(self, host, path):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        try:
            connection.request("GET", path, headers={"Host": host})
            response = connection.getresponse()
            return response.status, response.getheader("Location"), response.read().decode()
        finally:
            connection.close()

    def test_the_access_page_shows_the_account_values_and_a_sign_in_form(self):
        self.assertNotEqual(self.port, 0)
        status, _, body = self.get("www.vexmor.test",
                                   "/game/s/wdAccess/?name=vexmor&uid=1001&suid=s7&token=t")
        self.assertEqual(status, 200)
        self.assertIn("<b id='uid'>1001</b>", body)
        self.assertIn("action='/game/s/login'", body)

    def test_signing_in_redirects_straight_to_the_game(self):
        # The login browser never lands on a page of the sign-in step: reloading it after
        # the game shows the sign-in page, not a page that opens the game again.
        status, location, body = self.get("www.vexmor.test",
                                          "/game/s/login?uid=1001&hero=Ann&password=x")
        self.assertEqual(status, 302)
        self.assertEqual(body, "")
        address = urllib.parse.urlsplit(location)
        self.assertEqual(address.scheme + "://" + address.netloc, "http://vexmor.vexmor.test")
        self.assertTrue(address.path.startswith("/wd/"))
        self.assertIn("m=game", address.query)
        self.assertIn("hero=Ann", address.query)
        self.assertTrue(address.query.endswith("|Vexmor%20Realm%207|Frost%20Keep"))

    def test_the_game_is_served_under_wd_on_the_game_host(self):
        status, _, body = self.get("vexmor.vexmor.test", "/wd/index.html?m=game")
        self.assertEqual(status, 200)
        self.assertIn("VokCefWebInstance.call('ShowMessageBox'", body)

    def test_an_unknown_page_is_not_found(self):
        status, _, _ = self.get("www.vexmor.test", "/no/such/page")
        self.assertEqual(status, 404)


if __name__ == "__main__":
    unittest.main()
