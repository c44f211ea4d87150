# Describes the message in the file given as the argument, read by Python's email package, in
# lines "key=value" (see SmtpTestServer.h).
import email, email.policy, sys
with open(sys.argv[1], 'rb') as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)
print('subject=' + str(message['Subject'] or ''))
print('headers=' + ','.join(sorted(set(k.lower() for k in message.keys()))))
print('to=' + str(message['To'] or ''))
print('defects=' + str(sum(len(part.defects) for part in message.walk())))
for part in message.walk():
    if part.is_multipart():
        continue
    payload = part.get_payload(decode=True) or b''
    name = part.get_filename()
    if name is None:
        print('body=' + part.get_content_type() + ' ' + payload.replace(b'\r\n', b'\n').hex())
    else:
        print('attachment=' + name + ' ' + part.get_content_type() + ' ' + payload.hex())
