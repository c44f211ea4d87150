# The SMTP test server: aiosmtpd serving on a listening socket inherited from the test (its
# descriptor is the first argument), keeping each message in the folder given second as
# "<sender>\n<recipient>\n...\n\n<the bytes as received>". A file appears whole (renamed into
# place), numbered in order of arrival.
import asyncio, os, socket, sys
from aiosmtpd.smtp import SMTP
listener = socket.socket(fileno=int(sys.argv[1]))
folder = sys.argv[2]


class Keep:
    count = 0
    async def handle_DATA(self, server, session, envelope):
        Keep.count += 1
        name = os.path.join(folder, '%04d' % Keep.count)
        with open(name + '.tmp', 'wb') as f:
            f.write(('\n'.join([envelope.mail_from] + envelope.rcpt_tos) + '\n\n').encode())
            f.write(envelope.original_content)
        os.rename(name + '.tmp', name + '.mail')
        return '250 OK'


async def main():
    handler = Keep()
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(handler, hostname='localhost'), sock=listener)
    await server.serve_forever()


asyncio.run(main())
