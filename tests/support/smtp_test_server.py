# The SMTP test server: aiosmtpd serving on a listening socket inherited from the test (its
# descriptor is the first argument), keeping each message in the folder given second as
# "<tls|plain> <login or ->\n<sender>\n<recipient>\n...\n\n<the bytes as received>". A file appears
# whole (renamed into place), numbered in order of arrival.
# Options: --tls starttls|implicit with --cert FILE --key FILE; --login USER:PASSWORD (the one
# login accepted, and then required; any other is refused with 535); --refuse ADDRESS (RCPT TO
# that address is refused with 550; repeatable).
import argparse, asyncio, os, socket, ssl
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

parser = argparse.ArgumentParser()
parser.add_argument('descriptor', type=int)
parser.add_argument('folder')
parser.add_argument('--tls', choices=['starttls', 'implicit'])
parser.add_argument('--cert')
parser.add_argument('--key')
parser.add_argument('--login')
parser.add_argument('--refuse', action='append', default=[])
options = parser.parse_args()
listener = socket.socket(fileno=options.descriptor)


class Keep:
    count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in options.refuse:
            return '550 5.1.1 <%s>: Recipient address rejected: User unknown' % address
        envelope.rcpt_tos.append(address)
        return '250 OK'

    async def handle_DATA(self, server, session, envelope):
        Keep.count += 1
        name = os.path.join(options.folder, '%04d' % Keep.count)
        secure = server.transport.get_extra_info('ssl_object') is not None
        login = session.auth_data.login.decode() if session.authenticated else '-'
        head = ['%s %s' % ('tls' if secure else 'plain', login), envelope.mail_from]
        with open(name + '.tmp', 'wb') as f:
            f.write(('\n'.join(head + envelope.rcpt_tos) + '\n\n').encode())
            f.write(envelope.original_content)
        os.rename(name + '.tmp', name + '.mail')
        return '250 OK'


def authenticator(server, session, envelope, mechanism, data):
    accepted = isinstance(data, LoginPassword) and \
        (data.login + b':' + data.password).decode() == options.login
    return AuthResult(success=accepted, handled=False, auth_data=data if accepted else None)


async def main():
    context = None
    if options.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.cert, options.key)
    implicit = options.tls == 'implicit'
    settings = dict(hostname='localhost')
    if options.tls == 'starttls':
        settings['tls_context'] = context
    if options.login:
        settings.update(authenticator=authenticator, auth_required=True,
                        auth_require_tls=not implicit)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Keep(), **settings), sock=listener,
                                      ssl=context if implicit else None)
    await server.serve_forever()


asyncio.run(main())
